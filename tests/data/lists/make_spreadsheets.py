#!/usr/bin/env python3
"""Writes the small spreadsheet files the list tests read (tst_spreadsheet, tst_batch).

Run from anywhere: python3 tests/data/lists/make_spreadsheets.py
Only the standard library is used; the files are committed, so the tests need neither Python
nor a spreadsheet program. The output is the same bytes on every run (fixed zip dates).
"""

import os
import zipfile
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
DATE = (2026, 3, 2, 9, 0, 0)

# The three members of the CSV list of the list tests (tests/engine/tst_listprint.cpp).
THREE = [
    ["소속", "성명", "회원번호"],
    ["국립중앙도서관", "홍길동", "2004010123"],
    ["A1", "BC", "200401-0123"],
    ["본관", "김철수", "1-2"],
]


def write_zip(name, parts, method=zipfile.ZIP_DEFLATED):
    """parts: list of (part name, text or bytes), in zip order."""
    path = os.path.join(HERE, name)
    with zipfile.ZipFile(path, "w") as z:
        for part, data in parts:
            info = zipfile.ZipInfo(part, DATE)
            # ODF wants its mimetype first and stored.
            info.compress_type = zipfile.ZIP_STORED if part == "mimetype" else method
            z.writestr(info, data.encode("utf-8") if isinstance(data, str) else data)
    return path


def write_bytes(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


# ---- .xlsx -------------------------------------------------------------------------------------

NS_MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
NS_REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
REL_TYPE = NS_REL + "/"
PKG_REL = "http://schemas.openxmlformats.org/package/2006/relationships"


def content_types(sheets):
    overrides = "".join(
        f'<Override PartName="/xl/worksheets/{s}" '
        f'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        for s in sheets
    )
    return (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '<Override PartName="/xl/workbook.xml" '
        'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
        + overrides + "</Types>"
    )


ROOT_RELS = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
    f'<Relationships xmlns="{PKG_REL}">'
    f'<Relationship Id="rId1" Type="{REL_TYPE}officeDocument" Target="xl/workbook.xml"/>'
    "</Relationships>"
)


def workbook(tabs):
    """tabs: list of (sheet name, relationship id), in tab order."""
    sheets = "".join(
        f'<sheet name="{escape(n)}" sheetId="{i + 1}" r:id="{rid}"/>' for i, (n, rid) in enumerate(tabs)
    )
    return (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        f'<workbook xmlns="{NS_MAIN}" xmlns:r="{NS_REL}"><sheets>{sheets}</sheets></workbook>'
    )


def workbook_rels(rels):
    """rels: list of (id, type, target)."""
    items = "".join(f'<Relationship Id="{i}" Type="{REL_TYPE}{t}" Target="{g}"/>' for i, t, g in rels)
    return f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Relationships xmlns="{PKG_REL}">{items}</Relationships>'


def shared_strings(items):
    """items: raw <si> contents."""
    sis = "".join(f"<si>{i}</si>" for i in items)
    return (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        f'<sst xmlns="{NS_MAIN}" count="{len(items)}" uniqueCount="{len(items)}">{sis}</sst>'
    )


def styles(custom, xfs):
    """custom: list of (id, code); xfs: numFmtId of each cell style, style 0 first."""
    fmts = "".join(f'<numFmt numFmtId="{i}" formatCode="{escape(c, {chr(34): "&quot;"})}"/>' for i, c in custom)
    cell = "".join(f'<xf numFmtId="{n}" fontId="0" fillId="0" borderId="0" applyNumberFormat="1"/>' for n in xfs)
    return (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        f'<styleSheet xmlns="{NS_MAIN}">'
        f'<numFmts count="{len(custom)}">{fmts}</numFmts>'
        '<fonts count="1"><font><sz val="11"/><name val="맑은 고딕"/></font></fonts>'
        '<fills count="1"><fill><patternFill patternType="none"/></fill></fills>'
        '<borders count="1"><border/></borders>'
        '<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>'
        f'<cellXfs count="{len(xfs)}">{cell}</cellXfs>'
        "</styleSheet>"
    )


def sheet(rows, extra=""):
    """rows: raw <row> elements."""
    return (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        f'<worksheet xmlns="{NS_MAIN}" xmlns:r="{NS_REL}"><sheetData>{"".join(rows)}</sheetData>{extra}</worksheet>'
    )


def xlsx(name, sheets, strings, style_parts=None, method=zipfile.ZIP_DEFLATED):
    """sheets: list of (tab name, sheet xml) in tab order; stored in reverse part order so that the
    first tab is not sheet1.xml."""
    count = len(sheets)
    files = [f"sheet{count - i}.xml" for i in range(count)]
    tabs = [(n, f"rId{count - i}") for i, (n, _) in enumerate(sheets)]
    rels = [(f"rId{count - i}", "worksheet", f"worksheets/{files[i]}") for i in range(count)]
    rels.append(("rIdS", "sharedStrings", "sharedStrings.xml"))
    parts = [
        ("[Content_Types].xml", content_types(files)),
        ("_rels/.rels", ROOT_RELS),
        ("xl/workbook.xml", workbook(tabs)),
    ]
    if style_parts:
        rels.append(("rIdT", "styles", "styles.xml"))
        parts.append(("xl/styles.xml", style_parts))
    parts.append(("xl/_rels/workbook.xml.rels", workbook_rels(rels)))
    parts.append(("xl/sharedStrings.xml", shared_strings(strings)))
    for i, (_, xml) in enumerate(sheets):
        parts.append((f"xl/worksheets/{files[i]}", xml))
    return write_zip(name, parts, method)


def col(i):
    return "ABCDEFGHIJKLMNOPQRSTUVWXYZ"[i]


def t(text):
    return f"<t>{escape(text)}</t>"


def three_xlsx(name, method=zipfile.ZIP_DEFLATED):
    # Header and most values as shared strings, one inline string, the 10-digit number as a number.
    strings = []

    def shared(text):
        if text not in strings:
            strings.append(text)
        return strings.index(text)

    rows = []
    for r, values in enumerate(THREE, start=1):
        cells = []
        for c, v in enumerate(values):
            ref = f"{col(c)}{r}"
            if v == "2004010123":
                cells.append(f'<c r="{ref}"><v>{v}</v></c>')
            elif v == "BC":
                cells.append(f'<c r="{ref}" t="inlineStr"><is>{t(v)}</is></c>')
            else:
                cells.append(f'<c r="{ref}" t="s"><v>{shared(v)}</v></c>')
        rows.append(f'<row r="{r}">{"".join(cells)}</row>')
    other = sheet(['<row r="1"><c r="A1" t="inlineStr"><is><t>다른 시트</t></is></c></row>'])
    return xlsx(name, [("명단", sheet(rows)), ("메모", other)], [t(s) for s in strings], method=method)


def cells_xlsx():
    # One case a row: column A says what it is, column B is the cell under test.
    strings = [
        t("case"),  # 0
        t("0012345"),  # 1
        t("0000012345"),  # 2
        '<r><t>홍길동</t></r><rPh sb="0" eb="3"><t>ホンギルドン</t></rPh>',  # 3
        t("A_x000D_B"),  # 4
        '<t xml:space="preserve"> 12 </t>',  # 5
    ]
    custom = [
        (164, "0000000000"),
        (165, "#,##0"),
        (166, "000000"),
        (167, "0_ "),
        (168, "0_);[Red]\\(0\\)"),
        (169, "[Red]0000000000"),
        (170, "0;-0;0000"),
        (171, '@" 님"'),
        (172, "General;General;General;@"),
    ]
    # Styles: 0 General, 1 zeros, 2 builtin "0", 3 text @, 4 a date, 5 #,##0, 6 six zeros,
    # 7 Korean Excel's number, 8 with a negative section, 9 a colour, 10 a text section adding,
    # 11 a plain text section, 12 a zero section.
    style_parts = styles(custom, [0, 164, 1, 49, 14, 165, 166, 167, 168, 169, 171, 172, 170])
    cases = [
        ("general integer", '<v>2004010123</v>', ""),
        ("general exponent form", '<v>2.004010123E9</v>', ""),
        ("fifteen digits", '<v>123456789012345</v>', ""),
        ("more than fifteen digits", '<v>1234567890123456789</v>', ""),
        ("general fraction", '<v>12.5</v>', ""),
        ("general float noise", '<v>0.30000000000000004</v>', ""),
        ("zeros format", '<v>12345</v>', ' s="1"'),
        ("zeros format, number wider", '<v>12345678</v>', ' s="6"'),
        ("builtin 0 rounds", '<v>12.5</v>', ' s="2"'),
        ("text format, string", '<v>1</v>', ' s="3" t="s"'),
        ("text format, number", '<v>12345</v>', ' s="3"'),
        ("number as text", '<v>2</v>', ' t="s"'),
        ("inline rich text", '<is><r><t>김</t></r><r><rPr><b/></rPr><t>철수</t></r></is>', ' t="inlineStr"'),
        ("shared with phonetic", '<v>3</v>', ' t="s"'),
        ("date format", '<v>45000</v>', ' s="4"'),
        ("thousands format", '<v>12345</v>', ' s="5"'),
        ("boolean", '<v>1</v>', ' t="b"'),
        ("error value", '<v>#N/A</v>', ' t="e"'),
        ("formula with value", '<f>6*7</f><v>42</v>', ""),
        ("formula without value", '<f>6*7</f>', ""),
        ("formula string", '<f>"a"&amp;"bc"</f><v>abc</v>', ' t="str"'),
        ("escaped line end", '<v>4</v>', ' t="s"'),
        ("unknown style", '<v>12345</v>', ' s="99"'),
        ("spaces kept", '<v>5</v>', ' t="s"'),
        ("missing shared string", '<v>77</v>', ' t="s"'),
        ("zeros format, negative", '<v>-5</v>', ' s="6"'),
        ("Korean number format", '<v>2004010123</v>', ' s="7"'),
        ("negative section not read", '<v>-5</v>', ' s="8"'),
        ("positive beside a negative section", '<v>12345</v>', ' s="8"'),
        ("colour", '<v>12345</v>', ' s="9"'),
        ("text section adding", '<v>1</v>', ' s="10" t="s"'),
        ("plain text section", '<v>1</v>', ' s="11" t="s"'),
        ("zero section", '<v>0</v>', ' s="12"'),
    ]
    rows = ['<row r="1"><c r="A1" t="s"><v>0</v></c></row>']
    for r, (label, inner, attrs) in enumerate(cases, start=2):
        rows.append(
            f'<row r="{r}"><c r="A{r}" t="inlineStr"><is>{t(label)}</is></c><c r="B{r}"{attrs}>{inner}</c></row>'
        )
    # A row and its cells without positions: each follows the one before.
    rows.append('<row><c t="inlineStr"><is><t>no positions</t></is></c><c><v>7</v></c></row>')
    return xlsx("cells.xlsx", [("cases", sheet(rows))], strings, style_parts)


def layout_xlsx():
    # A header merged over two columns, a missing row and a stored empty row, a date in a column
    # the card does not use and one in the member number column; a second sheet with other members.
    strings = [t(s) for s in ["소속", "성명", "회원번호", "본관", "홍길동", "김철수", "이영희", "입학일"]]
    style_parts = styles([], [0, 14])
    rows = [
        '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="s"><v>2</v></c>'
        '<c r="D1"/><c r="E1" t="s"><v>7</v></c></row>',
        '<row r="2"><c r="A2" t="s"><v>3</v></c><c r="B2" t="s"><v>4</v></c><c r="C2"><v>2004010123</v></c>'
        '<c r="E2" s="1"><v>46082</v></c></row>',
        '<row r="4" spans="1:5"><c r="A4" s="0"/><c r="B4" t="inlineStr"><is><t> </t></is></c></row>',
        '<row r="5"><c r="A5" t="s"><v>3</v></c><c r="B5" t="s"><v>5</v></c><c r="C5"><v>2004010124</v></c></row>',
        '<row r="6"><c r="A6" t="s"><v>3</v></c><c r="B6" t="s"><v>6</v></c><c r="C6" s="1"><v>46082</v></c></row>',
    ]
    merged = '<mergeCells count="1"><mergeCell ref="C1:D1"/></mergeCells>'
    other = sheet(['<row r="1"><c r="A1" t="inlineStr"><is><t>다른 사람</t></is></c></row>'])
    return xlsx("layout.xlsx", [("명단", sheet(rows, merged)), ("지난해", other)], strings, style_parts)


# ---- .ods --------------------------------------------------------------------------------------

ODS_NS = (
    'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
    'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
    'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
    'xmlns:dc="http://purl.org/dc/elements/1.1/" '
    'office:version="1.3"'
)
ODS_MANIFEST = (
    '<?xml version="1.0" encoding="UTF-8"?>'
    '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3">'
    '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>'
    '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
    "</manifest:manifest>"
)


def ods(name, tables, manifest=ODS_MANIFEST, content=None):
    """tables: list of (name, raw rows)."""
    body = "".join(
        f'<table:table table:name="{escape(n)}"><table:table-column table:number-columns-repeated="1024"/>'
        f"{rows}</table:table>"
        for n, rows in tables
    )
    if content is None:
        content = (
            f'<?xml version="1.0" encoding="UTF-8"?><office:document-content {ODS_NS}>'
            f"<office:body><office:spreadsheet>{body}</office:spreadsheet></office:body></office:document-content>"
        )
    return write_zip(
        name,
        [
            ("mimetype", "application/vnd.oasis.opendocument.spreadsheet"),
            ("content.xml", content),
            ("META-INF/manifest.xml", manifest),
        ],
    )


def p(text):
    return f"<text:p>{escape(text)}</text:p>"


def ods_cell(text, attrs=' office:value-type="string"'):
    return f"<table:table-cell{attrs}>{p(text)}</table:table-cell>"


# Trailing cells and rows as LibreOffice writes them: repeated to the end of the sheet.
ODS_ROW_END = '<table:table-cell table:number-columns-repeated="1021"/>'
ODS_SHEET_END = (
    '<table:table-row table:number-rows-repeated="1048572"><table:table-cell table:number-columns-repeated="1024"/>'
    "</table:table-row>"
)


def three_ods():
    rows = ""
    for values in THREE:
        cells = "".join(
            ods_cell(v, f' office:value-type="float" office:value="{v}"') if v == "2004010123" else ods_cell(v)
            for v in values
        )
        rows += f"<table:table-row>{cells}{ODS_ROW_END}</table:table-row>"
    other = "<table:table-row>" + ods_cell("다른 시트") + "</table:table-row>"
    return ods("three.ods", [("명단", rows + ODS_SHEET_END), ("메모", other)])


def cells_ods():
    cases = [
        ("float shown as digits", ods_cell("2004010123", ' office:value-type="float" office:value="2004010123"')),
        ("float shown with zeros", ods_cell("0000012345", ' office:value-type="float" office:value="12345"')),
        ("string", ods_cell("0012345")),
        ("value without text", '<table:table-cell office:value-type="float" office:value="12345"/>'),
        (
            "spans and spaces",
            '<table:table-cell office:value-type="string"><text:p>김<text:span>철</text:span>'
            '<text:s text:c="2"/>수</text:p></table:table-cell>',
        ),
        ("two paragraphs", f'<table:table-cell office:value-type="string">{p("a")}{p("b")}</table:table-cell>'),
        (
            "comment left out",
            '<table:table-cell office:value-type="string"><office:annotation><dc:creator>사서</dc:creator>'
            f'{p("메모")}</office:annotation>{p("본문")}</table:table-cell>',
        ),
        ("date shown", ods_cell("2026-03-02", ' office:value-type="date" office:date-value="2026-03-02"')),
    ]
    header = f"<table:table-header-rows><table:table-row>{ods_cell('case')}</table:table-row></table:table-header-rows>"
    rows = header
    for label, cell in cases:
        rows += f"<table:table-row>{ods_cell(label)}{cell}{ODS_ROW_END}</table:table-row>"
    # A cell repeated over two columns after a merged (covered) one, two empty rows, a last row.
    rows += (
        f'<table:table-row>{ods_cell("repeated")}<table:table-cell table:number-columns-spanned="2"'
        f' office:value-type="string">{p("merged")}</table:table-cell><table:covered-table-cell/>'
        f'<table:table-cell table:number-columns-repeated="2" office:value-type="string">{p("x")}</table:table-cell>'
        "</table:table-row>"
        '<table:table-row table:number-rows-repeated="2"><table:table-cell table:number-columns-repeated="1024"/>'
        "</table:table-row>"
        f'<table:table-row-group><table:table-row>{ods_cell("after empty rows")}</table:table-row></table:table-row-group>'
    )
    return ods("cells.ods", [("cases", rows + ODS_SHEET_END)])


# ---- Files that are no readable spreadsheet ----------------------------------------------------


def refused():
    three = open(three_xlsx("three.xlsx"), "rb").read()
    # Cut in half: the zip directory at the end is gone.
    write_bytes("damaged.xlsx", three[: len(three) // 2])
    # Stored, one byte of the sheet changed: the zip opens, the part's checksum fails.
    stored = open(three_xlsx("crc.xlsx", zipfile.ZIP_STORED), "rb").read()
    at = stored.index("국립중앙도서관".encode("utf-8"))
    write_bytes("crc.xlsx", stored[:at] + b"X" + stored[at + 1 :])
    # Excel saves a protected workbook as an OLE compound file: its header is enough here.
    ole = bytes.fromhex("D0CF11E0A1B11AE1") + bytes(16) + bytes.fromhex("3E000300FEFF0900") + bytes(488)
    write_bytes("protected.xlsx", ole)
    write_bytes("old.xls", ole)
    # A CSV saved under a spreadsheet's name.
    csv = "\n".join(",".join(r) for r in THREE) + "\n"
    write_bytes("renamed.xlsx", csv.encode("utf-8"))
    # A library system's "Excel" export that is a web page.
    table = "".join("<tr>" + "".join(f"<td>{v}</td>" for v in r) + "</tr>" for r in THREE)
    write_bytes("webpage.xls", f"<html><body><table>{table}</table></body></html>\n".encode("utf-8"))
    # A word-processing document: a zip with a main part that is no workbook.
    write_zip(
        "document.xlsx",
        [
            ("[Content_Types].xml", '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>'),
            (
                "_rels/.rels",
                f'<?xml version="1.0"?><Relationships xmlns="{PKG_REL}"><Relationship Id="rId1" '
                f'Type="{REL_TYPE}officeDocument" Target="word/document.xml"/></Relationships>',
            ),
            (
                "word/document.xml",
                '<?xml version="1.0"?><w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">'
                "<w:body/></w:document>",
            ),
        ],
    )
    # Any other zip.
    write_zip("photos.zip", [("photo.txt", "not a picture")])
    # An ODF spreadsheet saved with a password: its content is encrypted.
    encrypted_manifest = ODS_MANIFEST.replace(
        '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>',
        '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml" manifest:size="900">'
        '<manifest:encryption-data manifest:checksum-type="SHA1/1K" manifest:checksum="AAAA">'
        '<manifest:algorithm manifest:algorithm-name="Blowfish CFB" manifest:initialisation-vector="AAAA"/>'
        "</manifest:encryption-data></manifest:file-entry>",
    )
    ods("encrypted.ods", [], encrypted_manifest, content="\x01\x02 encrypted bytes")
    # A sheet whose XML stops half-way.
    write_zip(
        "badxml.xlsx",
        [
            ("[Content_Types].xml", content_types(["sheet1.xml"])),
            ("_rels/.rels", ROOT_RELS),
            ("xl/workbook.xml", workbook([("명단", "rId1")])),
            ("xl/_rels/workbook.xml.rels", workbook_rels([("rId1", "worksheet", "worksheets/sheet1.xml")])),
            ("xl/worksheets/sheet1.xml", sheet(['<row r="1"><c r="A1"><v>1</v></c></row>'])[:-40]),
        ],
    )


if __name__ == "__main__":
    three_xlsx("three.xlsx")
    three_ods()
    cells_xlsx()
    layout_xlsx()
    cells_ods()
    refused()
