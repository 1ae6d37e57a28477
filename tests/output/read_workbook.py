#!/usr/bin/env python3
"""Reads a workbook back with openpyxl and prints what a user would find in it as JSON:
the sheet's extent and every cell that holds a value or a font of its own; then the "Summary"
sheet, if any, row by row (times in ISO form), and its charts with their series."""
import json
import sys

import openpyxl


def main(path):
    book = openpyxl.load_workbook(path)
    sheet = book.active
    cells = []
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None and not cell.has_style:
                continue
            cells.append({
                "ref": cell.coordinate,
                "row": cell.row,
                "col": cell.column,
                "value": cell.value,
                "type": type(cell.value).__name__,
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
