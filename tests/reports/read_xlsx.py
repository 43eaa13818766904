#!/usr/bin/python3
"""Reads a workbook back with openpyxl and prints what a spreadsheet program would see, as JSON:
per sheet its name, frozen cell, filter range, column widths and every cell's value, type,
number format and font colour. Used by the export tests."""
import datetime
import json
import sys

import openpyxl


def cell_of(cell):
    value = cell.value
    if value is None:
        kind, text = "empty", ""
    elif isinstance(value, datetime.datetime):
        kind, text = "datetime", value.strftime("%Y-%m-%d %H:%M:%S")
    elif isinstance(value, (int, float)):
        kind, text = "number", repr(value)
    else:
        kind, text = "text", str(value)
    color = cell.font.color.rgb if cell.font and cell.font.color is not None else None
    return {"v": text, "t": kind, "fmt": cell.number_format,
            "color": color if isinstance(color, str) else None}


def main(path):
    book = openpyxl.load_workbook(path)
    sheets = []
    for sheet in book.worksheets:
        widths = {key: dim.width for key, dim in sheet.column_dimensions.items() if dim.width}
        sheets.append({
            "name": sheet.title,
            "freeze": sheet.freeze_panes or "",
            "filter": sheet.auto_filter.ref or "",
            "widths": widths,
            "rows": [[cell_of(c) for c in row] for row in sheet.iter_rows()],
        })
    json.dump({"sheets": sheets}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
