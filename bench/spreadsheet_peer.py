#!/usr/bin/python3
"""The openpyxl side of the workbook benchmark, and its fixture.

  spreadsheet_peer.py fixture <workbook.xlsx> [rows] [mixed|numbers]
                                                header + 100,000 (or rows) rows x 10 columns
  spreadsheet_peer.py read <workbook.xlsx>      read-only load, every row kept
  spreadsheet_peer.py write <target.xlsx> <columns>
                                                write-only workbook of 100,000 rows of
                                                1 column or 10 (five texts, five numbers)

Each case prints "seconds=<s> ..." on one line, timed inside the process.
"""
import sys
import time
import zipfile

ROWS = 100000
UNIQUE = 105000
MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"


def letters(n):
    s = ""
    while n > 0:
        n, r = divmod(n - 1, 26)
        s = chr(65 + r) + s
    return s


def fixture(path, rows=str(ROWS), kind="mixed"):
    """Five shared-string columns (about 105,000 unique texts) and five number
    columns, or ("numbers") ten number columns, under a header row."""
    rows = int(rows)
    strings = ["Col%d" % (k + 1) for k in range(10)]
    strings += ["%s %d &amp; co" % (("Name", "Street", "City", "Code", "Note")[i % 5], i) for i in range(UNIQUE)]
    sheet = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<worksheet xmlns="%s">'
             '<dimension ref="A1:J%d"/><sheetData>' % (MAIN, rows + 1)]
    sheet.append('<row r="1">' + "".join('<c r="%s1" t="s"><v>%d</v></c>' % (letters(k + 1), k) for k in range(10)) + "</row>")
    cols = [letters(k + 1) for k in range(10)]
    for r in range(2, rows + 2):
        cells = []
        for k in range(5 if kind == "mixed" else 0):
            cells.append('<c r="%s%d" t="s"><v>%d</v></c>' % (cols[k], r, 10 + ((r * 5 + k) * 7919) % UNIQUE))
        for k in range(5 if kind == "mixed" else 0, 10):
            value = "%d" % (r * k) if k % 2 else "%d.%02d" % (r * 13 % 100000, (r + k) % 100)
            cells.append('<c r="%s%d"><v>%s</v></c>' % (cols[k], r, value))
        sheet.append('<row r="%d">%s</row>' % (r, "".join(cells)))
    sheet.append("</sheetData></worksheet>")
    sst = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<sst xmlns="%s" count="%d" uniqueCount="%d">'
           % (MAIN, len(strings), len(strings))]
    sst += ["<si><t>%s</t></si>" % s for s in strings]
    sst.append("</sst>")
    types = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
             '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
             '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
             '<Default Extension="xml" ContentType="application/xml"/>'
             '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
             '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
             '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
             '</Types>')
    rels = ('<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            '<Relationship Id="rId1" Type="%s/officeDocument" Target="xl/workbook.xml"/></Relationships>' % REL)
    book = ('<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="Data" sheetId="1" r:id="rId1"/></sheets></workbook>'
            % (MAIN, REL))
    book_rels = ('<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                 '<Relationship Id="rId1" Type="%s/worksheet" Target="worksheets/sheet1.xml"/>'
                 '<Relationship Id="rId2" Type="%s/sharedStrings" Target="sharedStrings.xml"/></Relationships>'
                 % (REL, REL))
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", types)
        z.writestr("_rels/.rels", rels)
        z.writestr("xl/workbook.xml", book)
        z.writestr("xl/_rels/workbook.xml.rels", book_rels)
        z.writestr("xl/worksheets/sheet1.xml", "".join(sheet))
        z.writestr("xl/sharedStrings.xml", "".join(sst))


def read(path):
    import openpyxl
    start = time.perf_counter()
    wb = openpyxl.load_workbook(path, read_only=True)
    rows = list(wb.worksheets[0].iter_rows(values_only=True))
    seconds = time.perf_counter() - start
    print("seconds=%.4f nrows=%d ncols=%d" % (seconds, len(rows), len(rows[0])))


def series_values():
    values = []
    for i in range(ROWS):
        if i % 2 == 0:
            values.append(i * 7)
        elif i % 4 == 1:
            values.append("Name %d" % i)
        else:
            values.append("%07d" % i)
    return values


def table_rows():
    """The ten-column rows of spreadsheet_bench: five texts, five numbers."""
    kinds = ("Name", "Street", "City", "Code", "Note")
    rows = [["Col%d" % k for k in range(1, 11)]]
    for i in range(ROWS):
        row = ["%s %d" % (kinds[k], i * 5 + k) for k in range(5)]
        row += [i * k if k % 2 else float("%d.%d" % (i % 100000, k * 10 + 1)) for k in range(5, 10)]
        rows.append(row)
    return rows


def write(path, columns="1"):
    import openpyxl
    rows = [["Batch Value"]] + [[v] for v in series_values()] if columns == "1" else table_rows()
    start = time.perf_counter()
    wb = openpyxl.Workbook(write_only=True)
    ws = wb.create_sheet()
    for row in rows:
        ws.append(row)
    wb.save(path)
    print("seconds=%.4f rows=%d" % (time.perf_counter() - start, len(rows) - 1))


if __name__ == "__main__":
    {"fixture": fixture, "read": read, "write": write}[sys.argv[1]](*sys.argv[2:])
