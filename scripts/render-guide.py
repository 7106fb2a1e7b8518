#!/usr/bin/env python3
"""Renders the user guide (docs/guide.md) as one HTML page.

    render-guide.py guide.md guide.html
    render-guide.py --check guide.md

Only the Markdown the guide uses is understood: headings, paragraphs, "-"
lists, tables, `code`, **bold** and *italic*. The build runs it with the
python3 the set-up installs, so it needs no module beyond the standard
library. Anything it does not understand is an error, never quietly passed
through as raw Markdown: --check makes that a test.
"""

import html
import re
import sys

STYLE = """
body { font-family: sans-serif; max-width: 46em; margin: 2em auto; padding: 0 1em;
       line-height: 1.5; color: #222; }
h1 { border-bottom: 2px solid #4a7; padding-bottom: .2em; }
h2 { margin-top: 1.6em; color: #263; }
code { background: #f2f2f2; padding: 0 .2em; }
table { border-collapse: collapse; }
td, th { border: 1px solid #bbb; padding: .2em .6em; text-align: left; }
"""


class GuideError(Exception):
    pass


def inline(text, line_no):
    """Escapes the text and turns `code`, **bold** and *italic* into HTML."""
    parts = re.split(r"(`[^`]*`)", text)
    out = []
    for part in parts:
        if part.startswith("`") and part.endswith("`") and len(part) >= 2:
            out.append("<code>" + html.escape(part[1:-1]) + "</code>")
            continue
        if "`" in part:
            raise GuideError(f"line {line_no}: unmatched backtick")
        s = html.escape(part, quote=False)
        s = re.sub(r"\*\*(.+?)\*\*", r"<strong>\1</strong>", s)
        s = re.sub(r"(?<![\w*])\*(?!\s)(.+?)(?<!\s)\*(?![\w*])", r"<em>\1</em>", s)
        if "**" in s:
            raise GuideError(f"line {line_no}: unmatched **")
        out.append(s)
    return "".join(out)


def table_cells(line):
    return [c.strip() for c in line.strip().strip("|").split("|")]


def render(lines):
    body = []
    title = "User guide"
    para = []
    items = []
    i = 0

    def flush():
        if para:
            text, no = " ".join(t for t, _ in para), para[0][1]
            body.append("<p>" + inline(text, no) + "</p>")
            para.clear()
        if items:
            body.append("<ul>")
            for text, no in items:
                body.append("  <li>" + inline(text, no) + "</li>")
            body.append("</ul>")
            items.clear()

    while i < len(lines):
        line = lines[i].rstrip("\n")
        no = i + 1
        stripped = line.strip()
        heading = re.match(r"^(#{1,3}) (.+)$", line)
        if not stripped:
            flush()
        elif heading:
            flush()
            level = len(heading.group(1))
            if level == 1:
                title = heading.group(2)
            body.append(f"<h{level}>{inline(heading.group(2), no)}</h{level}>")
        elif line.startswith("- "):
            if para:
                flush()
            items.append([line[2:].strip(), no])
        elif line.startswith("  ") and items:
            items[-1][0] += " " + stripped
        elif stripped.startswith("|"):
            flush()
            rows = []
            while i < len(lines) and lines[i].strip().startswith("|"):
                rows.append((table_cells(lines[i]), i + 1))
                i += 1
            if len(rows) < 2 or not all(re.fullmatch(r":?-+:?", c) for c in rows[1][0]):
                raise GuideError(f"line {no}: a table needs a header and a --- row")
            body.append("<table>")
            head, _ = rows[0]
            body.append("  <tr>" + "".join(f"<th>{inline(c, no)}</th>" for c in head) + "</tr>")
            for cells, row_no in rows[2:]:
                if len(cells) != len(head):
                    raise GuideError(f"line {row_no}: {len(cells)} cells, header has {len(head)}")
                body.append(
                    "  <tr>" + "".join(f"<td>{inline(c, row_no)}</td>" for c in cells) + "</tr>")
            body.append("</table>")
            continue
        elif re.match(r"^(\d+\.|[*+>]|#{4,}|```)", stripped):
            raise GuideError(f"line {no}: not understood: {stripped[:30]}")
        else:
            if items:
                flush()
            para.append((stripped, no))
        i += 1
    flush()
    return (
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        f"<title>{html.escape(title)}</title>\n<style>{STYLE}</style>\n</head>\n<body>\n"
        + "\n".join(body)
        + "\n</body>\n</html>\n"
    )


def main(argv):
    check = "--check" in argv
    args = [a for a in argv[1:] if a != "--check"]
    if len(args) != (1 if check else 2):
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    with open(args[0], encoding="utf-8") as f:
        lines = f.readlines()
    try:
        page = render(lines)
    except GuideError as e:
        print(f"{args[0]}: {e}", file=sys.stderr)
        return 1
    if not check:
        with open(args[1], "w", encoding="utf-8") as f:
            f.write(page)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
