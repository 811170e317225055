#!/usr/bin/env bash
# Mutation check: applies each mutation below to the source, one at a time,
# rebuilds the tests that guard it in the dev build (build/), runs them and
# expects at least one to FAIL. The source is restored after each mutation
# (also on Ctrl+C), and the tests are rebuilt from the restored source at the
# end. Exits 1 when a mutation survives or cannot be applied.
#
#   tools/mutation-check.sh            every mutation
#   tools/mutation-check.sh NAME...    only those (see the list)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
[ -f "$build/CMakeCache.txt" ] || { echo "configure the dev build first (cmake --preset dev)"; exit 2; }

# name @ file @ exact text @ replacement @ test targets (space separated) @ ctest regex
mutations=(
  "fast-path-digits@engine/deck_reader.cpp@simple = digits <= 7 && decimals <= 10;@simple = digits <= 8 && decimals <= 10;@engine_number_path_test engine_deck_reader_test@^engine_(number_path|deck_reader)_test[.]"
  "fast-path-decimals@engine/deck_reader.cpp@simple = digits <= 7 && decimals <= 10;@simple = digits <= 7 && decimals <= 11;@engine_number_path_test engine_deck_reader_test@^engine_(number_path|deck_reader)_test[.]"
  "json-escape-boundary@results/graph_data.cpp@if (c < 0x20 || c >= 0x7F) {@if (c < 0x1F || c >= 0x7F) {@results_graph_json_test results_graph_data_test vektool vektool_report_cli_test@^(results_graph_(json|data)|vektool_report_cli)_test[.]"
  "document-rule@model/model_document.cpp@if (year >= first && year <= last) historicalDataChanged = true;@if (year >= first && year < last) historicalDataChanged = true;@model_model_document_test@^model_model_document_test[.]"
  "alluvial-image-sign@engine/response_methods.cpp@sum = n % 2 == 0 ? sum + pair : sum - pair;@sum = n % 2 == 0 ? sum + pair : sum + pair;@engine_response_methods_test engine_response_run_test model_response_model_test vektool@^(engine_response_(methods|run)_test[.]|python_response_methods)"
  "alluvial-far-image@engine/response_methods.cpp@const double far = (2.0 * n + 2.0 - r) * g;@const double far = (2.0 * n + 2.0 + r) * g;@engine_response_methods_test engine_response_run_test model_response_model_test vektool@^(engine_response_(methods|run)_test[.]|python_response_methods)"
  "alluvial-near-image@engine/response_methods.cpp@const double near = u + 2.0 * n * g;@const double near = u + 2.0 * (n + 1) * g;@engine_response_methods_test engine_response_run_test model_response_model_test vektool@^(engine_response_(methods|run)_test[.]|python_response_methods)"
  "alluvial-late-coefficient@engine/response_methods.cpp@4.0 * sinPiDouble(0.5 * k * aOverW) / (k * kPi);@4.0 * sinPiDouble(0.5 * k * aOverW) / (k * kPi * 1.01);@engine_response_methods_test engine_response_run_test model_response_model_test vektool@^(engine_response_(methods|run)_test[.]|python_response_methods)"
  "alluvial-late-argument@engine/response_methods.cpp@4.0 * sinPiDouble(0.5 * k * aOverW) / (k * kPi);@4.0 * sinPiDouble(k * aOverW) / (k * kPi);@engine_response_methods_test engine_response_run_test model_response_model_test vektool@^(engine_response_(methods|run)_test[.]|python_response_methods)"
  "alluvial-late-exponent@engine/response_methods.cpp@const double alpha = 0.25 * kPi * kPi * tau;@const double alpha = 0.26 * kPi * kPi * tau;@engine_response_methods_test engine_response_run_test model_response_model_test vektool@^(engine_response_(methods|run)_test[.]|python_response_methods)"
  "hunt-argument@engine/response_methods.cpp@const double b = u + parameter_ / (4.0 * u);@const double b = u + parameter_ / (2.0 * u);@engine_response_methods_test engine_response_run_test model_response_model_test vektool@^(engine_response_(methods|run)_test[.]|python_response_methods)"
  "hunt-sign@engine/response_methods.cpp@e * (erfcxDouble(u) - erfcxDouble(b));@e * (erfcxDouble(u) + erfcxDouble(b));@engine_response_methods_test engine_response_run_test model_response_model_test vektool@^(engine_response_(methods|run)_test[.]|python_response_methods)"
  "hunt-small-u-sign@engine/response_methods.cpp@? erfcDouble(u) - e * erfcxDouble(b)@? erfcDouble(u) + e * erfcxDouble(b)@engine_response_methods_test engine_response_run_test model_response_model_test vektool@^(engine_response_(methods|run)_test[.]|python_response_methods)"
  "table-month-rounding@engine/response_methods.cpp@std::floor((t + 15.0) / kCycleMeanMonthDays + 0.5);@std::floor((t + 15.0) / kCycleMeanMonthDays);@engine_response_methods_test engine_response_run_test model_response_model_test vektool@^(engine_response_(methods|run)_test[.]|python_response_methods)"
  "table-cumulative@engine/response_methods.cpp@sum += static_cast<double>(s);@sum = static_cast<double>(s);@engine_response_methods_test engine_response_run_test model_response_model_test vektool@^(engine_response_(methods|run)_test[.]|python_response_methods)"
  "erfc-coefficient@engine/special_functions.cpp@8.81952221241769090e02,@8.81952221241769090e02 * 1.0001,@engine_response_methods_test engine_response_run_test model_response_model_test vektool@^(engine_response_(methods|run)_test[.]|python_response_methods)"
  "exp-coefficient@engine/special_functions.cpp@p = p * r + 1.0 / 6.0;@p = p * r + 1.0 / 6.001;@engine_response_methods_test engine_response_run_test model_response_model_test vektool@^(engine_response_(methods|run)_test[.]|python_response_methods)"
  "exp-square-split@engine/special_functions.cpp@const double head = std::trunc(x * 16.0) / 16.0;@const double head = std::trunc(x * 16.0) / 15.0;@engine_response_methods_test engine_response_run_test model_response_model_test vektool@^(engine_response_(methods|run)_test[.]|python_response_methods)"
  "factor-formula@model/depletion_factor.cpp@return p.distance * p.distance * p.storativity / p.transmissivity;@return p.distance * p.storativity / p.transmissivity;@model_response_model_test vektool vektool_response_cli_test@^(model_response_model_test[.]|vektool_response_cli_test[.])"
  "lambda-prime@model/depletion_factor.cpp@return lambda * p.distance / p.transmissivity;@return lambda * p.transmissivity / p.distance;@model_response_model_test vektool vektool_response_cli_test@^(model_response_model_test[.]|vektool_response_cli_test[.])"
  "synthesis-last-year@model/synthesis.cpp@if (year >= md.inputStartYear && year <= md.inputEndYear) return std::nullopt;@if (year >= md.inputStartYear && year < md.inputEndYear) return std::nullopt;@model_synthesis_test@^model_synthesis_test[.]"
  "year-type-rescue@model/year_types.cpp@[static_cast<size_t>(row)] > 0.0f;@[static_cast<size_t>(row)] >= 0.0f;@model_year_types_test@^model_year_types_test[.]"
  "import-soil-moisture@model/imports.cpp@reader.read(path, basis == SoilMoisture::Without);@reader.read(path, basis == SoilMoisture::With);@model_imports_test@^model_imports_test[.]"
  "kernel-key-parameter@engine/location_response.cpp@std::bit_cast<std::uint32_t>(parameter) == std::bit_cast<std::uint32_t>(other.parameter);@true;@engine_computation_test engine_response_run_test@^engine_(computation|response_run)_test[.]"
  "kernel-key-table@engine/location_response.cpp@return table == other.table;@return true;@engine_computation_test engine_response_run_test@^engine_(computation|response_run)_test[.]"
  "validation-last-month@model/model_validation.cpp@for (int c = 0; c < 12; ++c)@for (int c = 0; c < 11; ++c)@model_model_validation_test@^model_model_validation_test[.]"
  "validation-value-year@model/model_validation.cpp@p.year = firstYear + k;@p.year = firstYear;@model_model_validation_test@^model_model_validation_test[.]"
  "validation-name-width@model/model_validation.cpp@if (kept.size() <= static_cast<std::size_t>(kReportLocationNameWidth)) continue;@if (kept.size() < static_cast<std::size_t>(kReportLocationNameWidth)) continue;@model_model_validation_test@^model_model_validation_test[.]"
  "doubtful-daily-month@model/model_validation.cpp@v * 31.0@v * 30.0@model_model_validation_test@^model_model_validation_test[.]"
  "stale-tolerance@model/model_validation.cpp@2e-5 *@2e-4 *@model_model_validation_test@^model_model_validation_test[.]"
  "unused-location-type@model/model_validation.cpp@loc.UseInOutput == 0 || loc.isWell()@loc.isWell()@model_model_validation_test@^model_model_validation_test[.]"
  "safe-save-fsync@common/safe_save.cpp@if (ok && ::fsync(fd_) != 0)@if (ok && false)@common_safe_save_sync_test@^common_safe_save_sync_test[.]"
  "csv-lone-cr@results/csv_export.cpp@find_first_of(\",\\\"\\r\\n\")@find_first_of(\",\\\"\\n\")@results_export_test@^results_export_test[.]"
)

selected=("$@")
backup=""
restore() {
  if [ -n "$backup" ] && [ -f "$backup" ]; then
    cp "$backup" "$file"
    rm -f "$backup"
    backup=""
  fi
}
trap restore EXIT INT TERM

survived=0
rebuild=()
for m in "${mutations[@]}"; do
  IFS='@' read -r name file from to targets regex <<<"$m"
  if [ ${#selected[@]} -gt 0 ] && [[ ! " ${selected[*]} " == *" $name "* ]]; then continue; fi
  echo "== $name: $file"
  if ! grep -qF -- "$from" "$file"; then
    echo "   cannot apply: text not found: $from"
    survived=1
    continue
  fi
  backup="$(mktemp)"
  cp "$file" "$backup"
  FROM="$from" TO="$to" python3 -c '
import os, sys
p = sys.argv[1]
s = open(p).read()
open(p, "w").write(s.replace(os.environ["FROM"], os.environ["TO"], 1))' "$file"
  # shellcheck disable=SC2086
  if ! cmake --build "$build" --target $targets -j2 >/tmp/mutation-build.log 2>&1; then
    echo "   killed: does not build (see /tmp/mutation-build.log)"
  elif ctest --test-dir "$build" -R "$regex" -j2 >/tmp/mutation-tests.log 2>&1; then
    echo "   SURVIVED: every test of $regex passes with it"
    survived=1
  else
    echo "   killed: $(grep -oE '[0-9]+ tests? failed' /tmp/mutation-tests.log | head -1)"
  fi
  restore
  rebuild+=($targets)
done
trap - EXIT INT TERM
if [ ${#rebuild[@]} -gt 0 ]; then
  cmake --build "$build" --target "${rebuild[@]}" -j2 >/dev/null
fi
if [ $survived -ne 0 ]; then
  echo "mutation check: FAILED"
  exit 1
fi
echo "mutation check: every mutation was caught"
