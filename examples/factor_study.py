#!/usr/bin/python3
"""How much does the stream feel one well, depending on its depletion factor?

Reads the example model (river_valley.vek, beside this script), runs it as
it is, then runs it again with five depletion factors for the Mesa well
field, and compares the net impact upon the stream of each run: a plot
(factor_study.png) and a pandas pivot table (factor_study.csv).

    PYTHONPATH=build/python /usr/bin/python3 examples/factor_study.py --out build/example
"""

import argparse
import os

import matplotlib

matplotlib.use("Agg")  # draw to files; no window needed
import matplotlib.pyplot as plt
import pandas as pd

import vek

FACTORS = [100.0, 500.0, 2500.0, 10000.0, 40000.0]  # days
WELL = "Mesa well field"


def net_impact(results, kind):
    """The net impact upon the stream (wells plus recharge) as a frame."""
    frame = results.frame(kind, tables="stream")
    return frame[frame.name == "Net Impact on Stream"]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--model", default=os.path.join(here, "river_valley.vek"), help="model input file")
    parser.add_argument("--out", default=".", help="folder for the plot and the table")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)

    model = vek.read_model(args.model)
    print(model)
    baseline = vek.run(model)
    average = baseline.locations[-1].stream_average[-1]
    print("As the model stands: net impact upon the stream %.1f acre-feet in an average year" % average)

    # One run per factor, each on a copy of the model.
    well = next(loc.position for loc in model.locations if loc.name == WELL)
    yearly, monthly = [], []
    for factor in FACTORS:
        scenario = model.copy()
        scenario.locations[well].factor = factor
        results = vek.run(scenario)
        yearly.append(net_impact(results, "yearly").assign(factor=factor))
        monthly.append(net_impact(results, "average").assign(factor=factor))
    yearly = pd.concat(yearly, ignore_index=True)
    monthly = pd.concat(monthly, ignore_index=True)

    # Acre-feet per year of net impact, one column per factor.
    pivot = yearly.pivot_table(index="year", columns="factor", values="value")
    pivot.columns = ["%g days" % f for f in pivot.columns]
    table = os.path.join(args.out, "factor_study.csv")
    pivot.to_csv(table)
    print("\nNet impact upon the stream, acre-feet per year (%s's factor varied):" % WELL)
    print(pivot.loc[[2000, 2004, 2005, 2014, 2015, 2024]].round(1).to_string())
    print("\nAverage year:")
    print(pivot.mean().round(1).to_string())

    figure, (years_axis, months_axis) = plt.subplots(1, 2, figsize=(13, 5), gridspec_kw={"width_ratios": [3, 2]})
    for factor in FACTORS:
        series = yearly[yearly.factor == factor]
        years_axis.plot(series.year, series.value, label="%g days" % factor)
        months = monthly[(monthly.factor == factor) & (monthly.month != "TOTAL")]
        months_axis.plot(months.month.astype(str), months.value, marker="o", label="%g days" % factor)
    years_axis.axvspan(model.synth_start_year - 0.5, model.synth_end_year + 0.5, color="0.9", label="synthesized")
    years_axis.axvline(model.synth_end_year + 0.5, color="0.5", linestyle=":")
    years_axis.set(title="Net impact upon the stream, each year", xlabel="Irrigation year (NOV-OCT)",
                   ylabel="acre-feet per year (depletion < 0)")
    months_axis.set(title="Average year, month by month", xlabel="month", ylabel="acre-feet per month")
    years_axis.legend(title=WELL + " factor", fontsize="small")
    for axis in (years_axis, months_axis):
        axis.axhline(0, color="black", linewidth=0.5)
        axis.grid(alpha=0.3)
    figure.tight_layout()
    picture = os.path.join(args.out, "factor_study.png")
    figure.savefig(picture, dpi=100)
    print("\nWrote %s and %s" % (picture, table))


if __name__ == "__main__":
    main()
