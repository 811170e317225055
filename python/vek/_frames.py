"""Results.frame: the tables of a results object as one tidy table."""

import numpy as np

_COLUMNS = ("position", "name", "type", "factor", "table", "year", "month", "value")


def frame(self, kind="monthly", *, by=None, year_type=None, locations=None, tables=None):
    """The tables as a tidy pandas DataFrame, one value per row.

    Columns: position (of the entry in Results.locations), name, type
    ("Irrig. well", "Recharge site", "summary" or "reach"), factor (days; NaN
    for a summary), table ("diversion" or "stream"), year, month, value
    (acre-feet; NaN where there is no data).

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
        "diversion", "stream" or both (default). The net impact and the
        reaches have no diversion table.
    by
        None: every entry as above. "reach": only the stream reaches' net
        impacts, with the columns position, reach (its name), year, month
        and value (the stream table; a model without reaches gives none).

    Name, type, table and month are categorical (month ordered as the year
    type runs). Without pandas, a dict of numpy arrays with the same columns.
    """
    if by not in (None, "reach"):
        raise ValueError('by is None or "reach"')
    if by == "reach":
        reaches = [e.position for e in self.locations if e.kind == "reach"]
        if locations is not None:
            wanted = set(locations)
            reaches = [p for p in reaches if p in wanted]
        columns = self._columns(kind, year_type, reaches, "stream")
        columns = {("reach" if k == "name" else k): v for k, v in columns.items() if k not in ("type", "factor", "table")}
        return _assemble(columns, ("position", "reach", "year", "month", "value"))
    columns = self._columns(kind, year_type, locations, tables)
    return _assemble(columns, _COLUMNS)


def _assemble(columns, order):
    try:
        import pandas as pd
    except ImportError:
        pd = None
    data = {}
    for name in order:
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
