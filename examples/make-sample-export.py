#!/usr/bin/env python3
"""Writes examples/calypso-export/: a small Calypso export as it looks after the old
Calypso folder was copied from a Windows PC, with its HTML body files and attachments.

Everything is made here, with Python's standard library only, and the output is the same
byte for byte on every run, so the sample can be rebuilt and reviewed:

    python3 examples/make-sample-export.py

The people, addresses and the club are invented; all addresses use example.com/.org/.net.
"""

import base64
import binascii
import datetime
import io
import math
import shutil
import struct
import sys
import zipfile
from pathlib import Path

OUT = Path(__file__).resolve().parent / "calypso-export"
CALYPSO = "C:\\Calypso\\"
CHARSET = "cp1252"  # the code page the Windows PC exported in

# An attachment the export names but the copied folder lacks, so the tool has one to report.
MISSING_ATTACHMENT = "DSC00417.JPG"
MISSING_ATTACHMENT_SIZE = 48213


def crlf(text):
    """Windows text: every line ends in CR LF, non-ASCII letters as Windows-1252 bytes."""
    assert "\r" not in text
    return text.replace("\n", "\r\n").encode(CHARSET)


# --- JPEG: a minimal baseline encoder (8-bit, three components, no subsampling) -------------

ZIGZAG = [
    0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6, 7, 14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
]  # fmt: skip

LUMA_QUANT = [
    16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62,
    18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99,
]  # fmt: skip
CHROMA_QUANT = [
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
] + [99] * 32  # fmt: skip

# The usual Huffman tables: code counts per length 1..16, then the symbols. Every AC table
# lists its short codes by hand; the 16-bit codes take the remaining symbols in ascending order.
AC_SYMBOLS = [0x00, 0xF0] + [(run << 4) | size for run in range(16) for size in range(1, 11)]


def ac_table(counts, short_symbols):
    """All 162 AC symbols: the short codes' symbols as given, then the rest in ascending order."""
    rest = sorted(set(AC_SYMBOLS) - set(short_symbols))
    assert len(short_symbols) + len(rest) == sum(counts) == 162
    return counts, short_symbols + rest


DC_LUMA = ([0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0], list(range(12)))
DC_CHROMA = ([0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0], list(range(12)))
AC_LUMA = ac_table(
    [0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 125],
    [0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13,
     0x51, 0x61, 0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xA1, 0x08, 0x23, 0x42,
     0xB1, 0xC1, 0x15, 0x52, 0xD1, 0xF0, 0x24, 0x33, 0x62, 0x72, 0x82],
)  # fmt: skip
AC_CHROMA = ac_table(
    [0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 119],
    [0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51,
     0x07, 0x61, 0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xA1, 0xB1,
     0xC1, 0x09, 0x23, 0x33, 0x52, 0xF0, 0x15, 0x62, 0x72, 0xD1, 0x0A, 0x16, 0x24,
     0x34, 0xE1, 0x25, 0xF1],
)  # fmt: skip

# C(u) cos((2x+1) u pi / 16) in fixed point, so the coefficients do not hang on the platform's
# libm: rounding to integers hides its last-bit differences.
COS_BITS = 14
COS = [
    [
        round(
            (math.sqrt(0.5) if u == 0 else 1.0)
            * math.cos((2 * x + 1) * u * math.pi / 16)
            * (1 << COS_BITS)
        )
        for x in range(8)
    ]
    for u in range(8)
]


def huffman_codes(table):
    """Canonical codes: symbol -> (code, length)."""
    counts, symbols = table
    codes, code, index = {}, 0, 0
    for length in range(1, 17):
        for _ in range(counts[length - 1]):
            codes[symbols[index]] = (code, length)
            code += 1
            index += 1
        code <<= 1
    return codes


def divide_rounded(numerator, denominator):
    """numerator / denominator rounded half away from zero, in integers."""
    quotient = (2 * abs(numerator) + denominator) // (2 * denominator)
    return quotient if numerator >= 0 else -quotient


def quantized_block(samples, quant):
    """Forward DCT of 64 level-shifted samples (row-major), quantized, in natural order:
    F(u,v) = 1/4 C(u) C(v) sum over x, y of f(x,y) cos(..x..u) cos(..y..v), then F / Q."""
    out = []
    for v in range(8):
        for u in range(8):
            total = 0
            for y in range(8):
                row = samples[y * 8 : y * 8 + 8]
                total += COS[v][y] * sum(row[x] * COS[u][x] for x in range(8))
            out.append(divide_rounded(total, (4 << (2 * COS_BITS)) * quant[v * 8 + u]))
    return out


class BitWriter:
    def __init__(self):
        self.data = bytearray()
        self.accumulator = 0
        self.count = 0

    def write(self, value, length):
        for shift in range(length - 1, -1, -1):
            self.accumulator = (self.accumulator << 1) | ((value >> shift) & 1)
            self.count += 1
            if self.count == 8:
                self.data.append(self.accumulator)
                if self.accumulator == 0xFF:
                    self.data.append(0x00)  # byte stuffing
                self.accumulator, self.count = 0, 0

    def flush(self):
        while self.count:
            self.write(1, 1)  # pad with one bits
        return bytes(self.data)


def magnitude(value):
    """Size category and the bits that stand for value in it."""
    size = abs(value).bit_length()
    return size, value if value >= 0 else value + (1 << size) - 1


def encode_block(bits, coefficients, previous_dc, dc_codes, ac_codes):
    zigzag = [coefficients[i] for i in ZIGZAG]
    size, extra = magnitude(zigzag[0] - previous_dc)
    bits.write(*dc_codes[size])
    bits.write(extra, size)
    run = 0
    for value in zigzag[1:]:
        if value == 0:
            run += 1
            continue
        while run > 15:
            bits.write(*ac_codes[0xF0])
            run -= 16
        size, extra = magnitude(value)
        bits.write(*ac_codes[(run << 4) | size])
        bits.write(extra, size)
        run = 0
    if run:
        bits.write(*ac_codes[0x00])
    return zigzag[0]


def segment(marker, payload):
    return struct.pack(">BBH", 0xFF, marker, len(payload) + 2) + payload


def make_jpeg(width, height, pixel):
    """pixel(x, y) -> (r, g, b); width and height multiples of 8."""
    planes = ([], [], [])
    for y in range(height):
        for x in range(width):
            r, g, b = pixel(x, y)
            ycc = (
                (299 * r + 587 * g + 114 * b) / 1000,
                (-168736 * r - 331264 * g + 500000 * b) / 1000000 + 128,
                (500000 * r - 418688 * g - 81312 * b) / 1000000 + 128,
            )
            for plane, value in zip(planes, ycc):
                plane.append(min(255, max(0, math.floor(value + 0.5))))

    quant = (LUMA_QUANT, CHROMA_QUANT, CHROMA_QUANT)
    dc_codes = (huffman_codes(DC_LUMA), huffman_codes(DC_CHROMA), huffman_codes(DC_CHROMA))
    ac_codes = (huffman_codes(AC_LUMA), huffman_codes(AC_CHROMA), huffman_codes(AC_CHROMA))
    bits, previous = BitWriter(), [0, 0, 0]
    for block_y in range(0, height, 8):
        for block_x in range(0, width, 8):
            for c in range(3):
                samples = [
                    planes[c][(block_y + y) * width + block_x + x] - 128
                    for y in range(8)
                    for x in range(8)
                ]
                coefficients = quantized_block(samples, quant[c])
                previous[c] = encode_block(
                    bits, coefficients, previous[c], dc_codes[c], ac_codes[c]
                )

    def dqt(table_id, table):
        return bytes([table_id]) + bytes(table[i] for i in ZIGZAG)

    def dht(table_class_id, table):
        counts, symbols = table
        return bytes([table_class_id]) + bytes(counts) + bytes(symbols)

    # Component id, sampling 1x1, quantization table; then the Huffman tables by class and id.
    components = bytes([1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1])
    huffman_tables = [(0x00, DC_LUMA), (0x10, AC_LUMA), (0x01, DC_CHROMA), (0x11, AC_CHROMA)]
    return b"".join(
        [
            b"\xff\xd8",
            segment(0xE0, b"JFIF\x00\x01\x01\x01\x00\x48\x00\x48\x00\x00"),  # 72 dpi
            segment(0xDB, dqt(0, LUMA_QUANT) + dqt(1, CHROMA_QUANT)),
            segment(0xC0, struct.pack(">BHHB", 8, height, width, 3) + components),
            segment(0xC4, b"".join(dht(*table) for table in huffman_tables)),
            segment(0xDA, bytes([3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0])),
            bits.flush(),
            b"\xff\xd9",
        ]
    )


def galway_bay(x, y):
    """Grey sky, the bay, a green shore in front."""
    if y < 6:
        shade = 200 - 6 * y
        return (shade - 10, shade, shade + 20)
    if y < 12:
        return (40, 90 + 4 * x, 150)
    return (60 + 3 * x, 130, 50)


def holiday_flat(x, y):
    """A house with a red roof by the lake."""
    if y < 3 or (y < 7 and abs(x - 7.5) > y):
        return (120, 180, 240)  # sky
    if y < 7:
        return (170, 40, 30)  # roof
    if y < 12 and 3 <= x <= 12:
        return (60, 60, 70) if 6 <= x <= 8 and y >= 9 else (240, 235, 220)
    if y < 12:
        return (80, 150, 60)
    return (50, 110, 170)  # lake


# --- The other attachment files ------------------------------------------------------------


def make_gif_1x1():
    """A transparent 1x1 spacer, as HTML mail of the day carried them."""
    return (
        b"GIF89a\x01\x00\x01\x00\x80\x00\x00"  # screen 1x1, global table of two colours
        b"\xff\xff\xff\x00\x00\x00"
        b"\x21\xf9\x04\x01\x00\x00\x00\x00"  # colour 0 is transparent
        b"\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00"  # the image, 1x1 at 0,0
        b"\x02\x02\x44\x01\x00"  # LZW: clear, index 0, end
        b"\x3b"
    )


def pdf_string(text):
    """A PDF string in WinAnsiEncoding, kept 7-bit by octal escapes."""
    out = []
    for byte in text.encode(CHARSET):
        if byte in b"()\\" or byte > 0x7E:
            out.append("\\%03o" % byte)
        else:
            out.append(chr(byte))
    return "(" + "".join(out) + ")"


def make_pdf(title, lines):
    """One A4 page; lines are (font, size, y, text). The xref table holds real offsets."""
    content = "".join(
        "BT /%s %d Tf 72 %d Td %s Tj ET\n" % (font, size, y, pdf_string(text))
        for font, size, y, text in lines
    ).encode("ascii")
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842]\n"
        b"   /Resources << /Font << /F1 4 0 R /F2 5 0 R >> >> /Contents 6 0 R >>",
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>",
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
        b"<< /Length %d >>\nstream\n" % len(content) + content + b"endstream",
        b"<< /Title %s /CreationDate (D:20040301183000+01'00') >>" % pdf_string(title).encode(),
    ]
    pdf = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(pdf))
        pdf += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(pdf)
    pdf += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    pdf += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
    pdf += b"trailer\n<< /Size %d /Root 1 0 R /Info 7 0 R >>\n" % (len(objects) + 1)
    pdf += b"startxref\n%d\n%%%%EOF\n" % xref
    return bytes(pdf)


def make_zip(members):
    """Stored (not deflated) so the bytes do not depend on the zlib at hand."""
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_STORED) as archive:
        for name, when, data in members:
            info = zipfile.ZipInfo(name, date_time=when)
            info.create_system = 0  # made on Windows
            info.external_attr = 0x20  # the DOS archive bit
            archive.writestr(info, data)
    return buffer.getvalue()


PROGRAMM_PDF = make_pdf(
    "Programm Jahreshauptversammlung 2004",
    [
        ("F1", 20, 770, "Wanderverein Talblick e.V."),
        ("F1", 15, 735, "Jahreshauptversammlung 2004"),
        ("F2", 12, 710, "Samstag, 20. März 2004, 15:00 Uhr, Gasthaus „Zur Linde“"),
        ("F1", 12, 675, "Tagesordnung"),
        ("F2", 12, 655, "1.  Begrüßung und Feststellung der Beschlussfähigkeit"),
        ("F2", 12, 637, "2.  Bericht des Vorstands"),
        ("F2", 12, 619, "3.  Kassenbericht und Bericht der Kassenprüfer"),
        ("F2", 12, 601, "4.  Entlastung des Vorstands"),
        ("F2", 12, 583, "5.  Wanderprogramm 2004"),
        ("F2", 12, 565, "6.  Hüttenwochenende im Mai"),
        ("F2", 12, 547, "7.  Verschiedenes"),
        ("F2", 10, 510, "Anträge bitte bis 13. März an den Vorstand."),
        ("F2", 10, 496, "Kaffee und Kuchen ab 14:30 Uhr."),
    ],
)

PACKLISTE_TXT = crlf(
    """Packliste Hüttenwochenende 14.-16. Mai 2004
============================================

- Hüttenschlafsack (Pflicht!)
- Hausschuhe
- Stirn- oder Taschenlampe
- Regenjacke, warmer Pullover
- feste Wanderschuhe
- Trinkflasche (mind. 1 Liter)
- Brotzeit für Samstagmittag
- Bargeld für die Hütte (Übernachtung 12,50 € pro Nacht)
- Kartenspiel, Gitarre (wer hat)

Bitte nicht vergessen: Alpenvereinsausweis, falls vorhanden.
"""
)

HUETTENORDNUNG_TXT = crlf(
    """Hüttenordnung der Talblickhütte
===============================

1. Nachtruhe von 22 bis 7 Uhr.
2. Schuhe bleiben im Trockenraum, in der Hütte nur Hausschuhe.
3. Jeder spült sein Geschirr selbst.
4. Müll wird wieder mit ins Tal genommen.
5. Der Ofen wird nur vom Hüttenwart angeheizt.
6. Bei der Abreise: Betten abziehen, Fenster schließen, Wasser abdrehen.

Vielen Dank und einen schönen Aufenthalt!
Der Hüttenwart
"""
)

MITGLIEDERLISTE_CSV = crlf(
    """Nr;Name;Vorname;E-Mail;Mitglied seit;Beitrag 2004
1;Berger;Anna;anna@example.org;1987;bezahlt
2;Hofmann;Jürgen;juergen.hofmann@example.org;1991;bezahlt
3;Keller;Thomas;thomas.keller@example.net;1995;bezahlt
4;Lang;Petra;petra.lang@example.com;1999;bezahlt
5;Schäfer;Walter;w.schaefer@example.net;1979;offen
6;Öztürk;Deniz;deniz.oeztuerk@example.com;2002;bezahlt
7;Weiß;Hildegard;;1983;bezahlt
8;Brandt;Lukas;lukas.brandt@example.org;2003;offen
"""
)

TOUREN_ZIP = make_zip(
    [
        (
            "Touren_2004/01_Hohe_Warte.txt",
            (2004, 3, 21, 18, 40, 12),
            crlf(
                "Rundweg Talblick - Hohe Warte\n"
                "Länge 12 km, 380 Höhenmeter, ca. 4 Stunden\n\n"
                "Start am Bahnhof, über die Mühlbrücke in den Wald, am Wegkreuz links\n"
                "hinauf zur Hohen Warte. Rückweg über den Kammweg und die Schäferei.\n"
            ),
        ),
        (
            "Touren_2004/02_Burgruine.txt",
            (2004, 3, 21, 19, 2, 48),
            crlf(
                "Frühlingswanderung zur Burgruine\n"
                "Länge 9 km, 250 Höhenmeter, ca. 3 Stunden, Einkehr im Burgcafé\n\n"
                "Parkplatz am Friedhof, dem Zeichen \"blauer Punkt\" folgen bis zur Ruine.\n"
            ),
        ),
        (
            "Touren_2004/03_Seeweg.txt",
            (2004, 3, 23, 20, 55, 4),
            crlf(
                "Familienwanderung am Seeweg\n"
                "Länge 6 km, fast eben, kinderwagentauglich\n\n"
                "Einmal um den Stausee, Spielplatz und Kiosk an der Staumauer.\n"
            ),
        ),
    ]
)

# --- HTML body files (kept by Calypso next to the export) ----------------------------------

HTML_TOURENPLANUNG = crlf(
    """<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.0 Transitional//EN">
<HTML><HEAD>
<META http-equiv=Content-Type content="text/html; charset=windows-1252">
</HEAD>
<BODY bgColor=#ffffff>
<DIV><FONT face=Arial size=2>Hallo Thomas, hallo Anna,</FONT></DIV>
<DIV><FONT face=Arial size=2></FONT>&nbsp;</DIV>
<DIV><FONT face=Arial size=2>hier meine Vorschläge für die Touren bis zum Sommer.
Die Wegbeschreibungen stecken in der ZIP-Datei, je Tour eine Textdatei.</FONT></DIV>
<DIV><FONT face=Arial size=2></FONT>&nbsp;</DIV>
<TABLE border=1 cellSpacing=0 cellPadding=3>
<TR><TH><FONT face=Arial size=2>Datum</FONT></TH><TH><FONT face=Arial size=2>Tour</FONT></TH><TH><FONT face=Arial size=2>Länge</FONT></TH></TR>
<TR><TD><FONT face=Arial size=2>So 28.03.</FONT></TD><TD><FONT face=Arial size=2>Rundweg Talblick – Hohe Warte</FONT></TD><TD><FONT face=Arial size=2>12 km</FONT></TD></TR>
<TR><TD><FONT face=Arial size=2>Sa 17.04.</FONT></TD><TD><FONT face=Arial size=2>Frühlingswanderung zur Burgruine</FONT></TD><TD><FONT face=Arial size=2>9 km</FONT></TD></TR>
<TR><TD><FONT face=Arial size=2>So 09.05.</FONT></TD><TD><FONT face=Arial size=2>Familienwanderung am Seeweg</FONT></TD><TD><FONT face=Arial size=2>6 km</FONT></TD></TR>
</TABLE>
<DIV><FONT face=Arial size=2></FONT>&nbsp;</DIV>
<DIV><FONT face=Arial size=2>Die <B>Hohe Warte</B> bin ich letzten Sonntag abgelaufen: nach dem
Sturm liegen noch zwei Bäume quer, der Forst räumt aber bis Ende März.</FONT></DIV>
<DIV><FONT face=Arial size=2></FONT>&nbsp;</DIV>
<DIV><FONT face=Arial size=2>Gruß<BR>Jürgen</FONT></DIV>
</BODY></HTML>
"""
)

HTML_REPLY_TO_MAGGIE = crlf(
    """<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.0 Transitional//EN">
<HTML><HEAD>
<META http-equiv=Content-Type content="text/html; charset=windows-1252">
</HEAD>
<BODY bgColor=#ffffff>
<DIV><FONT face=Verdana size=2>Dear Maggie,</FONT></DIV>
<DIV><FONT face=Verdana size=2></FONT>&nbsp;</DIV>
<DIV><FONT face=Verdana size=2>your German is perfect: <I>„Ich freue mich sehr auf den
Sommer.“</I> Nothing to correct at all!</FONT></DIV>
<DIV><FONT face=Verdana size=2></FONT>&nbsp;</DIV>
<DIV><FONT face=Verdana size=2>Thank you for the lovely picture of Galway Bay. Here it has
been raining too, so we feel very close to you. Anna sends her love; she asks whether
you would come to our <B>Hüttenwochenende</B> in May (a weekend in a mountain hut,
14th to 16th). Bring good boots!</FONT></DIV>
<DIV><FONT face=Verdana size=2></FONT>&nbsp;</DIV>
<DIV><FONT face=Verdana size=2>Viele liebe Grüße<BR>Thomas</FONT></DIV>
<BLOCKQUOTE style="PADDING-LEFT: 5px; MARGIN-LEFT: 5px; BORDER-LEFT: #000000 2px solid">
<DIV><FONT face=Arial size=2>----- Original Message -----</FONT></DIV>
<DIV><FONT face=Arial size=2><B>From:</B> Margaret Doyle</FONT></DIV>
<DIV><FONT face=Arial size=2><B>Subject:</B> Grüße aus Galway!</FONT></DIV>
</BLOCKQUOTE>
</BODY></HTML>
"""
)

# Relative to the export's folder; the export names them below C:\Calypso\.
FILES = {
    "Attach/programm.pdf": PROGRAMM_PDF,  # the export writes Programm.PDF
    "Attach/Galway_Bay.jpg": make_jpeg(16, 16, galway_bay),
    "Attach/Ferienwohnung.jpg": make_jpeg(16, 16, holiday_flat),
    "Attach/spacer.gif": make_gif_1x1(),
    "Attach/Touren_2004.zip": TOUREN_ZIP,
    "Attach/Packliste.txt": PACKLISTE_TXT,
    "Attach/Hüttenordnung.txt": HUETTENORDNUNG_TXT,  # UTF-8 name here, Windows-1252 in the export
    "Attach/Mitgliederliste.csv": MITGLIEDERLISTE_CSV,
    "Html/MSG00031.htm": HTML_TOURENPLANUNG,
    "Html/MSG00044.htm": HTML_REPLY_TO_MAGGIE,
}

# --- The export ----------------------------------------------------------------------------

WEEKDAYS = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]

THOMAS = "Thomas Keller <thomas.keller@example.net>"
ANNA = '"Berger, Anna" <anna@example.org>'
JUERGEN = "Jürgen Hofmann <juergen.hofmann@example.org>"
PETRA = "Petra Lang <petra.lang@example.com>"
MAGGIE = "Margaret Doyle <maggie.doyle@example.com>"
SABINE = "Sabine Roth <sabine.roth@example.com>"
INGRID = "Ingrid Keller <ingrid.keller@example.net>"


def separator(local_time):
    """Calypso's separator line, with the time the message arrived or was written locally."""
    t = datetime.datetime(*local_time)
    return "From ???@??? %s %s %02d %02d:%02d:%02d %d" % (
        WEEKDAYS[t.weekday()], MONTHS[t.month - 1], t.day, t.hour, t.minute, t.second, t.year
    )


def date_field(local_time, zone):
    t = datetime.datetime(*local_time)
    return "%s, %02d %s %d %02d:%02d:%02d %s" % (
        WEEKDAYS[t.weekday()], t.day, MONTHS[t.month - 1], t.year, t.hour, t.minute, t.second, zone
    )


def file_reference(name):
    """The value Calypso writes after the field name: quoted Windows path and the file's size."""
    size = len(FILES[name]) if name in FILES else MISSING_ATTACHMENT_SIZE
    return '"%s%s"; %d' % (CALYPSO, name.replace("/", "\\"), size)


def attachment(name_on_disk, name_in_export=None):
    reference = file_reference(name_on_disk)
    if name_in_export:
        reference = reference.replace(name_on_disk.split("/")[1], name_in_export)
    return ("X-Attachment", reference)


def message(arrived, sent, zone, fields, body, folder, account, extra=()):
    """One exported message: separator line, header in Calypso's order, blank line, body."""
    header = [("Date", date_field(sent, zone))] + list(fields)
    header += [("X-CalypsoFolder", folder), ("X-CalypsoAccount", account)] + list(extra)
    lines = [separator(arrived)] + ["%s: %s" % field for field in header]
    return "\n".join(lines) + "\n\n" + body


def utf8_encoded_words(*pieces):
    """One encoded word per piece (each within the 75 characters a word may have), one piece
    per folded line; the blanks between the words do not count, so pieces carry their own."""
    words = ["=?utf-8?B?%s?=" % base64.b64encode(p.encode("utf-8")).decode("ascii") for p in pieces]
    assert all(len(word) <= 75 for word in words)
    return "\n ".join(words)


def quoted_printable(text):
    return binascii.b2a_qp(text.encode("iso-8859-1")).decode("ascii")


NEWSLETTER_BOUNDARY = "----=_Talblick_20040315_0001"

NEWSLETTER_TEXT = """Liebe Wanderfreundinnen und Wanderfreunde,

der Frühling kommt, und mit ihm unser neues Wanderprogramm:

  So 28.03.  Rundweg Talblick - Hohe Warte (12 km), Treffpunkt 9:30 Uhr am Bahnhof
  Sa 17.04.  Frühlingswanderung zur Burgruine (9 km), mit Einkehr
  So 09.05.  Familienwanderung am Seeweg (6 km), auch für Kinderwagen

Die Jahreshauptversammlung findet am Samstag, 20. März, um 15 Uhr im Gasthaus "Zur Linde" statt. Alle Mitglieder sind herzlich eingeladen; Anträge bitte bis 13. März an den Vorstand.

Für das Hüttenwochenende vom 14. bis 16. Mai sind noch sechs Plätze frei. Anmeldung bei Petra Lang.

Berg frei!
Euer Vorstand
"""

NEWSLETTER_HTML = """<html><head><title>Rundbrief Fr&uuml;hjahr 2004</title></head>
<body style="font-family: Arial, sans-serif; font-size: 10pt">
<img src="spacer.gif" width="1" height="1" alt="">
<h2 style="color: #2f6b2f">Wanderverein Talblick e.V. &ndash; Rundbrief Fr&uuml;hjahr 2004</h2>
<p>Liebe Wanderfreundinnen und Wanderfreunde,</p>
<p>der Fr&uuml;hling kommt, und mit ihm unser neues Wanderprogramm:</p>
<table cellpadding="3">
<tr><td>So 28.03.</td><td>Rundweg Talblick &ndash; Hohe Warte (12 km), Treffpunkt 9:30 Uhr am Bahnhof</td></tr>
<tr><td>Sa 17.04.</td><td>Fr&uuml;hlingswanderung zur Burgruine (9 km), mit Einkehr</td></tr>
<tr><td>So 09.05.</td><td>Familienwanderung am Seeweg (6 km), auch f&uuml;r Kinderwagen</td></tr>
</table>
<p>Die <b>Jahreshauptversammlung</b> findet am Samstag, 20. M&auml;rz, um 15 Uhr im Gasthaus
&bdquo;Zur Linde&ldquo; statt. Alle Mitglieder sind herzlich eingeladen; Antr&auml;ge bitte bis
13. M&auml;rz an den Vorstand.</p>
<p>F&uuml;r das H&uuml;ttenwochenende vom 14. bis 16. Mai sind noch sechs Pl&auml;tze frei.
Anmeldung bei Petra Lang.</p>
<p>Berg frei!<br>Euer Vorstand</p>
</body></html>
"""

MESSAGES = [
    # --- Inbox
    message(
        (2004, 3, 1, 19, 42, 10), (2004, 3, 1, 19, 41, 52), "+0100",
        [
            ("From", ANNA),
            ("To", THOMAS),
            ("Subject", "Jahreshauptversammlung am 20. März"),
            ("Message-ID", "<20040301194152.2F17@example.org>"),
            ("X-Mailer", "Calypso 3.0"),
            ("X-Priority", "3 (Normal)"),
            ("Return-Path", "<anna@example.org>"),
        ],
        """Hallo Thomas,

anbei das Programm für die Jahreshauptversammlung am Samstag, 20. März,
um 15 Uhr im Gasthaus „Zur Linde“. Kannst Du bitte die Einladung an alle
Mitglieder schicken und die aktuelle Mitgliederliste mitbringen?

Die Tagesordnung steht im Programm, Punkt 6 (Hüttenwochenende) übernimmt
Petra.

Viele Grüße
Anna

-- 
Anna Berger, 1. Vorsitzende
Wanderverein Talblick e.V.
""",
        "Inbox", "Verein",
        [attachment("Attach/programm.pdf", "Programm.PDF")],
    ),
    message(
        (2004, 3, 6, 11, 5, 37), (2004, 3, 6, 10, 5, 12), "+0000",
        [
            ("From", MAGGIE),
            ("To", "thomas.keller@example.net"),
            ("Subject", "=?iso-8859-1?Q?Gr=FC=DFe_aus_Galway!?="),
            ("Message-ID", "<4049A1E8.0A17@example.com>"),
            ("X-Mailer", "Calypso 3.0"),
            ("X-Priority", "3 (Normal)"),
            ("Return-Path", "<maggie.doyle@example.com>"),
        ],
        """Dear Thomas,

thank you so much for your long letter and the photos from the autumn walk!
I've finally got round to answering.

From now on I'll try to write at least a few lines in German every time,
so please correct me: "Ich freue mich sehr auf den Sommer." Is that right?

Attached is a little picture of Galway Bay from our walk on Sunday. It
rained, of course, but only twice.

Do give my best to Anna and the others at the club.

Love,
Maggie
""",
        "Inbox", "Privat",
        [attachment("Attach/Galway_Bay.jpg")],
    ),
    message(
        (2004, 3, 15, 7, 31, 4), (2004, 3, 15, 7, 30, 0), "+0100",
        [
            ("From", "Wanderverein Talblick <rundbrief@example.org>"),
            ("To", "thomas.keller@example.net"),
            (
                "Subject",
                utf8_encoded_words("Rundbrief Frühjahr 2004 ", "– Wanderverein Talblick"),
            ),
            ("Message-ID", "<rundbrief-2004-1.0815@example.org>"),
            ("MIME-Version", "1.0"),
            ("Content-Type", 'multipart/alternative;\n\tboundary="%s"' % NEWSLETTER_BOUNDARY),
            ("X-Mailer", "Talblick Rundbrief 1.2"),
            ("X-Priority", "3 (Normal)"),
            ("Return-Path", "<rundbrief@example.org>"),
        ],
        "This is a multi-part message in MIME format.\n\n"
        + "--%s\n" % NEWSLETTER_BOUNDARY
        + 'Content-Type: text/plain; charset="iso-8859-1"\n'
        + "Content-Transfer-Encoding: quoted-printable\n\n"
        + quoted_printable(NEWSLETTER_TEXT)
        + "\n--%s\n" % NEWSLETTER_BOUNDARY
        + 'Content-Type: text/html; charset="iso-8859-1"\n'
        + "Content-Transfer-Encoding: 7bit\n\n"
        + NEWSLETTER_HTML
        + "\n--%s--\n" % NEWSLETTER_BOUNDARY,
        "Inbox", "Verein",
        [attachment("Attach/spacer.gif")],
    ),
    message(
        (2004, 3, 23, 21, 17, 45), (2004, 3, 23, 21, 16, 58), "+0100",
        [
            ("From", JUERGEN),
            ("To", THOMAS),
            ("CC", ANNA),
            ("Subject", "Tourenplanung Sommer 2004"),
            ("Message-ID", "<40609A3A.5C21@example.org>"),
            ("X-Mailer", "Calypso 3.0"),
            ("X-Priority", "3 (Normal)"),
            ("Return-Path", "<juergen.hofmann@example.org>"),
        ],
        """Hallo Thomas, hallo Anna,

hier meine Vorschläge für die Touren bis zum Sommer. Die
Wegbeschreibungen stecken in der ZIP-Datei, je Tour eine Textdatei.

  So 28.03.  Rundweg Talblick – Hohe Warte     12 km
  Sa 17.04.  Frühlingswanderung zur Burgruine   9 km
  So 09.05.  Familienwanderung am Seeweg        6 km

Die Hohe Warte bin ich letzten Sonntag abgelaufen: nach dem Sturm liegen
noch zwei Bäume quer, der Forst räumt aber bis Ende März.

Gruß
Jürgen
""",
        "Inbox", "Verein",
        [
            ("X-CalypsoHtmlBody", file_reference("Html/MSG00031.htm")),
            attachment("Attach/Touren_2004.zip"),
        ],
    ),
    message(
        (2004, 4, 1, 18, 2, 11), (2004, 4, 1, 18, 1, 30), "+0200",
        [
            ("From", PETRA),
            ("To", THOMAS),
            ("Subject", "Hüttenwochenende: Packliste und Foto der Hütte"),
            ("Message-ID", "<406C3A9A.7E02@example.com>"),
            ("X-Mailer", "Calypso 3.0"),
            ("X-Priority", "1 (Highest)"),
            ("Return-Path", "<petra.lang@example.com>"),
        ],
        """Hallo Thomas,

anbei die Packliste fürs Hüttenwochenende (14.-16. Mai) und ein Foto der
Hütte, damit sich alle vorstellen können, worauf sie sich einlassen. ;-)

Die Übernachtung kostet 12,50 € pro Nacht, also 25 € für beide Nächte.
Kannst Du das bitte im nächsten Rundbrief ankündigen? Anmeldeschluss ist
der 30. April.

Liebe Grüße
Petra
""",
        "Inbox", "Verein",
        [attachment("Attach/Packliste.txt"), attachment("Attach/" + MISSING_ATTACHMENT)],
    ),
    # --- Sent Items
    message(
        (2004, 3, 2, 20, 11, 3), (2004, 3, 2, 20, 11, 3), "+0100",
        [
            ("From", THOMAS),
            ("To", ANNA),
            ("Subject", "Re: Jahreshauptversammlung am 20. März"),
            ("Message-ID", "<4044DD57.1A3C@example.net>"),
            ("X-Mailer", "Calypso 3.0"),
            ("X-Priority", "3 (Normal)"),
            ("Return-Path", "<thomas.keller@example.net>"),
        ],
        """Hallo Anna,

danke für das Programm, die Einladung geht morgen an alle raus.
Die Mitgliederliste hänge ich an; bei Walter und Lukas ist der Beitrag
für 2004 noch offen, ich spreche sie an der Versammlung an.

Gruß
Thomas

Anna schrieb:
> anbei das Programm für die Jahreshauptversammlung am Samstag, 20. März,
> um 15 Uhr im Gasthaus „Zur Linde“. Kannst Du bitte die Einladung an alle
> Mitglieder schicken und die aktuelle Mitgliederliste mitbringen?
""",
        "Sent Items", "Verein",
        [attachment("Attach/Mitgliederliste.csv")],
    ),
    message(
        (2004, 3, 24, 8, 45, 20), (2004, 3, 24, 8, 45, 20), "+0100",
        [
            ("From", THOMAS),
            ("To", MAGGIE),
            ("Subject", "Re: Grüße aus Galway!"),
            ("Message-ID", "<40613B68.09F1@example.net>"),
            ("X-Mailer", "Calypso 3.0"),
            ("X-Priority", "3 (Normal)"),
            ("Return-Path", "<thomas.keller@example.net>"),
        ],
        """Dear Maggie,

your German is perfect: „Ich freue mich sehr auf den Sommer.“ Nothing to
correct at all!

Thank you for the lovely picture of Galway Bay. Here it has been raining
too, so we feel very close to you. Anna sends her love; she asks whether
you would come to our Hüttenwochenende in May (a weekend in a mountain
hut, 14th to 16th). Bring good boots!

Viele liebe Grüße
Thomas
""",
        "Sent Items", "Privat",
        [("X-CalypsoHtmlBody", file_reference("Html/MSG00044.htm"))],
    ),
    message(
        (2004, 4, 2, 19, 30, 55), (2004, 4, 2, 19, 30, 55), "+0200",
        [
            ("From", THOMAS),
            ("To", PETRA),
            ("CC", JUERGEN),
            ("Subject", "Re: Hüttenwochenende: Packliste und Foto der Hütte"),
            ("Message-ID", "<406DA0C7.3B88@example.net>"),
            ("X-Mailer", "Calypso 3.0"),
            ("X-Priority", "3 (Normal)"),
            ("Return-Path", "<thomas.keller@example.net>"),
        ],
        """Hallo Petra,

danke für die Packliste, die kommt so in den Rundbrief. Das Foto ist
leider nicht mitgekommen, kannst Du es noch einmal schicken?

Anbei die Hüttenordnung, die mir der Hüttenwart gegeben hat; Jürgen,
magst Du sie am Freitagabend kurz vorlesen?

Ich überweise die 50 € für Monika und mich nächste Woche.

Gruß
Thomas

Petra Lang schrieb:
> Die Übernachtung kostet 12,50 € pro Nacht, also 25 € für beide Nächte.
""",
        "Sent Items", "Verein",
        # One name, two spellings: Windows-1252 in the export, UTF-8 on disk.
        [attachment("Attach/Hüttenordnung.txt")],
    ),
    # --- Entwürfe
    message(
        (2004, 4, 20, 22, 14, 9), (2004, 4, 20, 22, 14, 9), "+0200",
        [
            ("From", THOMAS),
            ("To", "mitglieder@example.org"),
            ("Subject", "Einladung zur Sommerwanderung"),
            ("Message-ID", "<40858549.6D0E@example.net>"),
            ("X-Mailer", "Calypso 3.0"),
            ("X-Priority", "3 (Normal)"),
        ],
        """Liebe Mitglieder,

am Sonntag, 20. Juni, wandern wir auf dem Höhenweg vom Talblick bis zur
Schäferei und zurück (ca. 14 km). Treffpunkt ist um [Uhrzeit mit Jürgen
klären!] am Bahnhof.

Für die Einkehr reserviere ich Plätze im Gasthaus „Zur Linde“, bitte gebt
mir bis
""",
        "Entwürfe", "Verein",
    ),
    message(
        (2004, 5, 3, 21, 40, 0), (2004, 5, 3, 21, 40, 0), "+0200",
        [
            ("From", THOMAS),
            ("Subject", "Notizen Rede 25 Jahre Wanderverein"),
            ("Message-ID", "<4096A058.4C11@example.net>"),
            ("X-Mailer", "Calypso 3.0"),
            ("X-Priority", "3 (Normal)"),
        ],
        """- Gründung 1979 mit elf Mitgliedern, erste Wanderung zur Hohen Warte
- Walter Schäfer von Anfang an dabei: Dank!
- Hütte seit 1986, über 300 Arbeitsstunden beim Umbau
- heute 64 Mitglieder, jüngstes 4 Jahre alt
- Ausblick: Jugendgruppe, Wegepatenschaft
""",
        "Entwürfe", "Verein",
    ),
    # --- Family\Holidays
    message(
        (2004, 2, 11, 17, 55, 30), (2004, 2, 11, 17, 54, 41), "+0100",
        [
            ("From", SABINE),
            ("To", THOMAS),
            ("CC", INGRID),
            ("Subject", "Ferienwohnung am Bodensee"),
            ("Message-ID", "<402A5D11.2E44@example.com>"),
            ("X-Mailer", "Calypso 3.0"),
            ("X-Priority", "3 (Normal)"),
            ("Return-Path", "<sabine.roth@example.com>"),
        ],
        """Hallo Bruderherz,

ich habe eine Ferienwohnung für uns alle gefunden: direkt am See, drei
Schlafzimmer, Garten, 85 € pro Nacht. Frei wäre sie vom 7. bis 21. August.
Das Foto ist vom Vermieter.

Mama, Du bekommst das Zimmer mit Seeblick, das ist schon ausgemacht.

Sagt mir bis Sonntag Bescheid, dann buche ich.

Sabine
""",
        "Family\\Holidays", "Privat",
        [attachment("Attach/Ferienwohnung.jpg")],
    ),
    message(
        (2004, 2, 12, 7, 12, 48), (2004, 2, 12, 7, 12, 48), "+0100",
        [
            ("From", THOMAS),
            ("To", SABINE),
            ("CC", INGRID),
            ("Subject", "Re: Ferienwohnung am Bodensee"),
            ("Message-ID", "<402B1800.0B7D@example.net>"),
            ("X-Mailer", "Calypso 3.0"),
            ("X-Priority", "3 (Normal)"),
            ("Return-Path", "<thomas.keller@example.net>"),
        ],
        """Hallo Sabine,

sieht toll aus, buch sie! Monika und ich kommen die ganzen zwei Wochen,
die Kinder freuen sich schon aufs Schwimmen. Die Anzahlung überweise ich
Dir, sobald Du die Bestätigung hast.

Gruß, auch an Markus
Thomas

Sabine Roth schrieb:
> ich habe eine Ferienwohnung für uns alle gefunden: direkt am See, drei
> Schlafzimmer, Garten, 85 € pro Nacht. Frei wäre sie vom 7. bis 21. August.
""",
        "Family\\Holidays", "Privat",
    ),
]


# --- Writing and checking --------------------------------------------------------------------


def require(condition, what):
    if not condition:
        raise SystemExit("make-sample-export.py: " + what)


def check_export(export):
    """The export is Windows text, splits into the messages above, and names files that exist
    below the export's folder (ignoring case) except the two it is meant to lack here."""
    without_line_ends = export.replace(b"\r\n", b"")
    require(b"\n" not in without_line_ends and b"\r" not in without_line_ends, "bare LF or CR")
    lines = export.split(b"\r\n")
    separators = sum(line.startswith(b"From ???@???") for line in lines)
    folders = sum(line.startswith(b"X-CalypsoFolder: ") for line in lines)
    require(separators == folders == len(MESSAGES), "separator or folder lines missing")

    on_disk = {name.encode("utf-8").lower() for name in FILES}
    unmatched = []
    for line in lines:
        for field in (b"X-Attachment: ", b"X-CalypsoHtmlBody: "):
            if line.startswith(field):
                path = line[len(field) :].split(b";")[0].replace(b'"', b"")
                require(path.startswith(CALYPSO.encode(CHARSET)), "path outside C:\\Calypso")
                name = path[len(CALYPSO) :].replace(b"\\", b"/")
                # Matched as bytes, ignoring ASCII case only: no code page knowledge.
                if name.lower() not in on_disk:
                    unmatched.append(name.decode(CHARSET))
    expected = ["Attach/" + MISSING_ATTACHMENT, "Attach/Hüttenordnung.txt"]
    require(sorted(unmatched) == sorted(expected), "unexpected unmatched files %s" % unmatched)


def main():
    if OUT.exists():
        shutil.rmtree(OUT)
    for name, data in sorted(FILES.items()):
        path = OUT / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)

    # An empty line stands before every separator but the first.
    export = crlf("\n".join(MESSAGES))
    check_export(export)
    (OUT / "export.txt").write_bytes(export)

    total = sum(p.stat().st_size for p in OUT.rglob("*") if p.is_file())
    print("wrote %d messages, %d files, %d bytes" % (len(MESSAGES), len(FILES) + 1, total))
    return 0


if __name__ == "__main__":
    sys.exit(main())
