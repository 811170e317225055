"""Results.frame: the tables of a results object as one tidy table."""

import numpy as np

_COLUMNS = ("position", "name", "type", "factor", "table", "year", "month", "days", "value", "units", "year_type",
            "method", "sdf", "a_w", "lambda", "response_table", "table_after")


def _months(calendar_year, calendar_month, pd):
    """Calendar months as datetimes (the first of each month)."""
    months = (np.asarray(calendar_year, np.int64) - 1970) * 12 + np.asarray(calendar_month, np.int64) - 1
    stamps = months.astype("datetime64[M]")
    return pd.to_datetime(stamps) if pd is not None else stamps


def frame(self, kind="monthly", *, by=None, year_type=None, locations=None, tables=None, units=None, layout=None):
    """The tables as a tidy pandas DataFrame, one value per row.

    Columns: position (of the entry in Results.locations), name, type
    ("Irrig. well", "Recharge site", "summary" or "reach"), factor (days; NaN
    for a summary or a reach), table ("diversion" or "stream"), year, month, value (NaN where
    there is no data), units and year_type (the same on every row), then how
    the values were made: method ("infinite", "alluvial", "hunt", "table";
    "unknown" where a report's list of response methods cannot tell; empty
    for a summary), sdf (days), a_w, lambda, response_table and table_after
    ("one" or "hold").

    kind
        "monthly"     one row per entry, table, year and month; month is the
                      month's name, in the year type's order
        "yearly"      one row per entry, table and year; month is "TOTAL"
        "cumulative"  the running totals; month is "CUMULATIVE TOTAL" (none
                      for a rate)
        "average"     the report's average row: one row per entry, table and
                      month (the twelve and "TOTAL"); no year column
    year_type
        0, 1, 2 or "calendar", "irrigation", "usgs": the months moved into
        that year type as the output view moves them (on a copy; these
        results keep theirs). None: the results' own.
    locations
        positions of the entries to include (default all, summaries too).
    tables
        "diversion", "stream" or both (default). The net impact and the
        reaches have no diversion table.
    by
        None: every entry as above. "reach": only the stream reaches' net
        impacts, with the columns position, reach (its name), year, month,
        (days,) value, units and year_type (the stream table; a model without
        reaches gives none).
    units
        "af" (acre-feet, the engine's; default), "m3", "ML", "dam3", or the
        month's mean rate "cfs" or "m3/s" (over the month's days x 86400 s;
        a total over its year's). 1 acre-foot = 1233.48183754752 m3. The
        values are not rounded.
    layout
        None: as above. "long" (with kind "monthly"): month is the calendar
        month as a datetime (its first day: 1980-11-01 is the first month of
        Irrigation year 1981, whose row year the year column keeps) and days
        its number of days, so that the frame is a time series without
        reshaping.

    Name, type, table and month are categorical (month ordered as the year
    type runs). Without pandas, a dict of numpy arrays with the same columns.
    """
    if layout not in (None, "long"):
        raise ValueError('layout is None or "long"')
    if by not in (None, "reach"):
        raise ValueError('by is None or "reach"')
    shape = "long" if layout == "long" else "months"
    if by == "reach":
        reaches = [e.position for e in self.locations if e.kind == "reach"]
        if locations is not None:
            wanted = set(locations)
            reaches = [p for p in reaches if p in wanted]
        columns = self._columns(kind, year_type, reaches, "stream", units, shape)
        columns["reach"] = columns.pop("name")
        order = ("position", "reach", "year", "month", "days", "value", "units", "year_type")
        return _assemble(columns, order, layout)
    columns = self._columns(kind, year_type, locations, tables, units, shape)
    return _assemble(columns, _COLUMNS, layout)


def _assemble(columns, order, layout):
    try:
        import pandas as pd
    except ImportError:
        pd = None
    rows = len(columns["position"])
    if layout == "long":
        columns["month"] = _months(columns.pop("calendar_year"), columns.pop("calendar_month"), pd)
    data = {}
    for name in order:
        if name not in columns:
            continue
        column = columns[name]
        if isinstance(column, str):
            column = np.full(rows, column, dtype=object)
            if pd is not None:
                column = pd.Categorical(column, categories=[columns[name]])
        elif isinstance(column, tuple):
            codes, categories = column
            if pd is not None:
                column = pd.Categorical.from_codes(codes, categories=categories, ordered=(name == "month"))
            else:
                column = np.asarray(categories, dtype=object)[codes] if len(categories) else np.empty(0, object)
        data[name] = column
    if pd is None:
        return data
    return pd.DataFrame(data)


_PERIODS = {"month": 0, "year": 1, "average": 2}


def bands(self, q=(5, 50, 95), *, period=None):
    """The bands as a tidy pandas DataFrame, one row per result and period.

    Columns: result (the location's name or the summary's), location (its
    place in the model file; 0 for a summary), period ("month", "year" or
    "average": the average year's months and its "TOTAL"), year (0 for the
    average year), month (NOV..OCT, "TOTAL" for a year), deterministic (the
    run without ranges), then P<q> for each percent in q: the quantile of
    the samples by linear interpolation between order statistics (type 7,
    numpy's default). Depletion in acre-feet, wells negative.

    period
        "month", "year", "average", or None for all three.

    Without pandas, a dict of numpy arrays with the same columns.
    """
    if period is not None and period not in _PERIODS:
        raise ValueError('period is "month", "year", "average" or None')
    percents = [float(x) for x in q]
    columns = self._columns(percents)
    keep = slice(None) if period is None else columns["period"][0] == _PERIODS[period]
    try:
        import pandas as pd
    except ImportError:
        pd = None
    data = {}
    for name in ("result", "location", "period", "year", "month", "deterministic"):
        column = columns[name]
        if isinstance(column, tuple):
            codes, categories = column
            codes = codes[keep]
            if pd is not None:
                column = pd.Categorical.from_codes(codes, categories=categories, ordered=(name == "month"))
            else:
                column = np.asarray(categories, dtype=object)[codes]
        else:
            column = column[keep]
        data[name] = column
    for k, title in enumerate(columns["columns"][6:]):
        data[title] = columns["quantiles"][k][keep]
    if pd is None:
        return data
    return pd.DataFrame(data)
