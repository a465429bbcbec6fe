#!/usr/bin/env python3
"""Reads a sheet printed through wine back and compares it with the Debian
build's PDF of the same prescription.

  compare-sheets.py <captured job (PostScript or PDF)> <Debian PDF> <work prefix> [rp.csv]

Checks: the paper is JIS B5 (182 x 257 mm); the ruled lines stand where the
Debian sheet has them, within 0.2 mm once a uniform reduction (page fit to a
printer's margins) is allowed for; and every drug name and usage of the
prescription (rp.csv, Shift-JIS) is read back by OCR from the Windows sheet at
least about as well as from the Debian one (wine's PostScript embeds fonts
without a Unicode map, so the text can only be read from the picture). Exit
status 0 when all hold.
"""
import difflib
import re
import subprocess
import sys
import unicodedata

DPI = 300
MM = DPI / 25.4
TOLERANCE_MM = 0.2


def run(*args):
    return subprocess.run(args, check=True, capture_output=True).stdout


def as_pdf(path, prefix):
    with open(path, "rb") as f:
        head = f.read(4)
    if head == b"%PDF":
        return path
    out = prefix + ".pdf"
    # A driver may put printer-language lines before the PostScript.
    with open(path, "rb") as f:
        data = f.read()
    start = data.find(b"%!PS")
    ps = prefix + ".ps"
    with open(ps, "wb") as f:
        f.write(data[max(start, 0):])
    run("ps2pdf", ps, out)
    return out


def page_size_mm(pdf):
    info = run("pdfinfo", pdf).decode()
    m = re.search(r"Page size:\s+([\d.]+) x ([\d.]+) pts", info)
    return float(m.group(1)) * 25.4 / 72, float(m.group(2)) * 25.4 / 72


def render(pdf, prefix):
    run("pdftoppm", "-r", str(DPI), "-gray", "-f", "1", "-l", "1", "-singlefile", pdf, prefix)
    with open(prefix + ".pgm", "rb") as f:
        data = f.read()
    parts = data.split(maxsplit=4)
    w, h = int(parts[1]), int(parts[2])
    return w, h, parts[4][: w * h]


DARK = bytes(1 if b < 128 else 0 for b in range(256))


# A dotted rule's dots, drawn in the device's own pixels, stand apart on one
# system and merge on the other: gaps of up to a quarter millimetre between
# dark pixels count as part of the rule.
DOT_GAP = re.compile(rb"(?<=\x01)\x00{1,3}(?=\x01)")


def rules(lines, min_run):
    """Centres of the lines (rows or columns) holding a dark run of min_run,
    dotted or solid."""
    hits = []
    for i, line in enumerate(lines):
        dark = DOT_GAP.sub(lambda m: b"\x01" * len(m.group()), line.translate(DARK))
        runs = dark.split(b"\x00")
        if max(map(len, runs)) >= min_run:
            hits.append(i)
    centres, group = [], []
    for i in hits:
        if group and i != group[-1] + 1:
            centres.append(sum(group) / len(group))
            group = []
        group.append(i)
    if group:
        centres.append(sum(group) / len(group))
    return centres


def fit(a, b):
    """Least-squares b = s*a + t and the largest residual, in pixels."""
    n = len(a)
    ma, mb = sum(a) / n, sum(b) / n
    var = sum((x - ma) ** 2 for x in a)
    s = sum((x - ma) * (y - mb) for x, y in zip(a, b)) / var if var else 1.0
    t = mb - s * ma
    return s, max(abs(s * x + t - y) for x, y in zip(a, b))


def plain(text):
    """Width and blanks as OCR can't tell them: half-width kana and full-width
    letters read either way."""
    return re.sub(r"\s+", "", unicodedata.normalize("NFKC", text))


def ocr(prefix, psm="6"):
    return plain(run("tesseract", prefix + ".pgm", "-", "-l", "jpn", "--psm", psm).decode())


def prescription_texts(rp_csv):
    """The drug names and own usages of an rp.csv's drug lines."""
    with open(rp_csv, "rb") as f:
        lines = f.read().decode("cp932").splitlines()
    texts = []
    for line in lines:
        fields = line.split(",")
        if len(fields) < 6 or not fields[0].isdigit():
            continue
        texts.append(fields[5])
        if len(fields) > 9 and fields[4] and fields[9].strip():
            texts.append(fields[9])
    return [plain(t) for t in texts if plain(t)]


def best_likeness(item, text):
    """How well item is read somewhere in text: the best ratio over windows of
    its own length (OCR drops or adds a character now and then)."""
    best = 0.0
    n = len(item)
    for width in (n - 1, n, n + 1):
        for i in range(0, max(1, len(text) - width + 1)):
            r = difflib.SequenceMatcher(None, item, text[i:i + width], autojunk=False).ratio()
            best = max(best, r)
    return best


def main():
    job, ref, prefix = sys.argv[1:4]
    ok = True
    pdf = as_pdf(job, prefix + "-windows")
    w_mm, h_mm = page_size_mm(pdf)
    print(f"paper {w_mm:.1f} x {h_mm:.1f} mm")
    if abs(w_mm - 182) > 1 or abs(h_mm - 257) > 1:
        print("not JIS B5")
        ok = False

    sheets = {}
    ref = as_pdf(ref, prefix + "-debian")
    for name, path in (("windows", pdf), ("debian", ref)):
        w, h, pixels = render(path, f"{prefix}-{name}")
        rows = [pixels[y * w:(y + 1) * w] for y in range(h)]
        cols = [pixels[x::w] for x in range(w)]
        sheets[name] = (rules(rows, w // 5), rules(cols, h // 10))
    for axis, k in (("horizontal", 0), ("vertical", 1)):
        win, deb = sheets["windows"][k], sheets["debian"][k]
        if len(win) != len(deb) or len(win) < 2:
            print(f"{axis} rules: {len(win)} on Windows, {len(deb)} on Debian")
            ok = False
            continue
        scale, worst = fit(deb, win)
        print(f"{axis} rules: {len(win)}, scale {scale:.4f}, worst {worst / MM:.3f} mm")
        if worst / MM > TOLERANCE_MM:
            ok = False

    win_text, deb_text = ocr(prefix + "-windows"), ocr(prefix + "-debian")
    ratio = difflib.SequenceMatcher(None, win_text, deb_text, autojunk=False).ratio()
    print(f"text read back: {len(win_text)} characters, {ratio:.3f} alike the Debian sheet's")
    with open(prefix + "-ocr.txt", "w") as f:
        f.write(win_text + "\n----\n" + deb_text + "\n")
    # Each name and usage must be there: read well, and no worse than the
    # same renderer's Debian sheet lets OCR read it.
    # OCR misreads a glyph now and then (眠 as 眼): a second reading that
    # takes the page as scattered text gets another chance at each.
    if len(sys.argv) > 4:
        win_texts = [win_text, ocr(prefix + "-windows", "11")]
        deb_texts = [deb_text, ocr(prefix + "-debian", "11")]
        for item in prescription_texts(sys.argv[4]):
            w = max(best_likeness(item, t) for t in win_texts)
            d = max(best_likeness(item, t) for t in deb_texts)
            if w < 0.75 and w < d - 0.15:
                print(f"not read back: {item} ({w:.2f} on Windows, {d:.2f} on Debian)")
                ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
