#!/usr/bin/env python3
"""Reads a workbook back with openpyxl and prints what a user would find in it as JSON:
the sheet's extent and every cell that holds a value or a font of its own, with the text the
cell shows under its number format; then the "Summary" sheet, if any, row by row (times in ISO
form), and its charts with their series."""
import datetime
import json
import re
import sys

import openpyxl

# The number-format fields a workbook of readings uses, longest first.
DATE_FIELDS = re.compile(r"yyyy|yy|mmmm|mmm|mm|m|dddd|ddd|dd|d|hh|h|ss|s|AM/PM|am/pm|\\.|.")


def shown_number(value, fmt):
    """The text a plain digit format ("00.0", "0;-0", "\\-00.0") shows for a number."""
    sections = fmt.split(";")
    section = sections[1] if value < 0 and len(sections) > 1 else sections[0]
    sign = "-" if value < 0 and len(sections) == 1 else ""
    prefix = ""
    while section.startswith("\\"):
        prefix += section[1]
        section = section[2:]
    while section and section[0] not in "0#":
        prefix += section[0]
        section = section[1:]
    whole, _, decimals = section.partition(".")
    text = f"{abs(value):.{len(decimals)}f}"
    integer, _, fraction = text.partition(".")
    integer = integer.rjust(len(whole), "0")
    return prefix + sign + integer + ("." + fraction if decimals else "")


def shown_moment(value, fmt):
    """The text a date or time format shows for a datetime, date or time."""
    if isinstance(value, datetime.time):
        value = datetime.datetime.combine(datetime.date(1899, 12, 30), value)
    twelve = "AM/PM" in fmt or "am/pm" in fmt
    tokens = DATE_FIELDS.findall(fmt)
    out = []
    for i, tok in enumerate(tokens):
        near_time = any(t in ("h", "hh", "s", "ss") for t in tokens[max(0, i - 2):i + 3])
        fields = {"m": value.minute if near_time else value.month, "d": value.day,
                  "h": value.hour % 12 or 12 if twelve else value.hour, "s": value.second}
        names = {"mmm": "%b", "mmmm": "%B", "ddd": "%a", "dddd": "%A"}
        if tok in names:
            out.append(value.strftime(names[tok]))
        elif tok[0] in fields and tok in (tok[0], tok[0] * 2):
            out.append(f"{fields[tok[0]]:0{len(tok)}d}")
        elif tok == "yyyy":
            out.append(f"{value.year:04d}")
        elif tok == "yy":
            out.append(f"{value.year % 100:02d}")
        elif tok.lower() == "am/pm":
            marker = "AM" if value.hour < 12 else "PM"
            out.append(marker if tok == "AM/PM" else marker.lower())
        elif tok.startswith("\\"):
            out.append(tok[1:])
        else:
            out.append(tok)
    return "".join(out)


def kind_and_shown(cell):
    value = cell.value
    if value is None:
        return "none", ""
    if isinstance(value, str):
        return "text", value
    if isinstance(value, (datetime.datetime, datetime.date, datetime.time)):
        fields = DATE_FIELDS.findall(cell.number_format)
        kind = "time" if any(f in ("h", "hh", "s", "ss") for f in fields) else "date"
        return kind, shown_moment(value, cell.number_format)
    return "number", shown_number(value, cell.number_format)


def main(path):
    book = openpyxl.load_workbook(path)
    sheet = book.active
    cells = []
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None and not cell.has_style:
                continue
            kind, shown = kind_and_shown(cell)
            color = cell.font.color.rgb if cell.font.color is not None else None
            cells.append({
                "ref": cell.coordinate,
                "row": cell.row,
                "col": cell.column,
                "value": cell.value if kind in ("text", "number", "none") else str(cell.value),
                "type": type(cell.value).__name__,
                "kind": kind,
                "format": cell.number_format,
                "shown": shown,
                "red": isinstance(color, str) and color.upper().endswith("FF0000"),
                "font": cell.font.name,
                "bold": bool(cell.font.b),
                "size": cell.font.sz,
            })
    out = {"sheets": len(book.worksheets), "maxRow": sheet.max_row,
           "maxCol": sheet.max_column, "cells": cells}
    if "Summary" in book.sheetnames:
        summary = book["Summary"]
        out["summary"] = [[c.isoformat() if hasattr(c, "isoformat") else c for c in row]
                          for row in summary.iter_rows(values_only=True)]
        out["charts"] = [{"type": chart.tagname,
                          "series": [{"name": s.tx.v if s.tx is not None else None,
                                      "values": s.val.numRef.f,
                                      "categories": (s.cat.numRef or s.cat.strRef).f}
                                     for s in chart.series]}
                         for chart in summary._charts]
    json.dump(out, sys.stdout)


if __name__ == "__main__":
    main(sys.argv[1])
