"""Results.frame: the tables of a results object as one tidy table."""

import numpy as np

_COLUMNS = ("position", "name", "type", "factor", "table", "year", "month", "value")


def frame(self, kind="monthly", *, year_type=None, locations=None, tables=None):
    """The tables as a tidy pandas DataFrame, one value per row.

    Columns: position (of the entry in Results.locations), name, type
    ("Irrig. well", "Recharge site" or "summary"), factor (days; NaN for a
    summary), table ("diversion" or "stream"), year, month, value (acre-feet;
    NaN where there is no data).

    kind
        "monthly"     one row per entry, table, year and month; month is the
                      month's name, in the year type's order
        "yearly"      one row per entry, table and year; month is "TOTAL"
        "cumulative"  the running totals; month is "CUMULATIVE TOTAL"
        "average"     the report's average row: one row per entry, table and
                      month (the twelve and "TOTAL"); no year column
    year_type
        0, 1, 2 or "calendar", "irrigation", "usgs": the months moved into
        that year type as the output view moves them (on a copy; these
        results keep theirs). None: the results' own.
    locations
        positions of the entries to include (default all, summaries too).
    tables
        "diversion", "stream" or both (default). The net impact has no
        diversion table.

    Name, type, table and month are categorical (month ordered as the year
    type runs). Without pandas, a dict of numpy arrays with the same columns.
    """
    columns = self._columns(kind, year_type, locations, tables)
    try:
        import pandas as pd
    except ImportError:
        pd = None
    data = {}
    for name in _COLUMNS:
        if name not in columns:
            continue
        column = columns[name]
        if isinstance(column, tuple):
            codes, categories = column
            if pd is not None:
                column = pd.Categorical.from_codes(codes, categories=categories, ordered=(name == "month"))
            else:
                column = np.asarray(categories, dtype=object)[codes] if len(categories) else np.empty(0, object)
        data[name] = column
    if pd is None:
        return data
    return pd.DataFrame(data)
