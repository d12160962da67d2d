#!/usr/bin/env python3
"""Renders the guide's Markdown pages as static HTML pages, without any network or module.

    md2html.py OUTPUT_FOLDER PAGE.md ...

Handles what the guide uses: headings, paragraphs, lists, tables, fenced and indented code, inline
code, emphasis and links (links to .md pages point to their .html rendering). A relative link to
a file that does not exist beside the page fails the run, so the guide cannot point nowhere.
"""
import html
import os
import re
import sys

STYLE = """body{font-family:sans-serif;max-width:60em;margin:2em auto;padding:0 1em;line-height:1.45}
code,pre{font-family:monospace;background:#f3f3f3}pre{padding:.6em;overflow-x:auto}
table{border-collapse:collapse}td,th{border:1px solid #bbb;padding:.2em .5em;vertical-align:top}
nav{margin-bottom:1em}"""


def inline(text):
    parts = re.split(r"(`[^`]*`)", text)
    out = []
    for part in parts:
        if len(part) >= 2 and part.startswith("`") and part.endswith("`"):
            out.append("<code>" + html.escape(part[1:-1]) + "</code>")
            continue
        part = html.escape(part, quote=False)
        part = re.sub(r"\*\*([^*]+)\*\*", r"<strong>\1</strong>", part)
        part = re.sub(r"(?<![\w*])\*([^*\s][^*]*)\*(?![\w*])", r"<em>\1</em>", part)

        def link(match):
            target = match.group(2)
            if not re.match(r"[a-z]+:", target):
                target = re.sub(r"\.md(#|$)", r".html\1", target)
            return '<a href="%s">%s</a>' % (html.escape(target), match.group(1))

        part = re.sub(r"\[([^\]]+)\]\(([^)\s]+)\)", link, part)
        out.append(part)
    return "".join(out)


def cells(line):
    line = line.strip()
    if line.startswith("|"):
        line = line[1:]
    if line.endswith("|") and not line.endswith("\\|"):
        line = line[:-1]
    # "\|" is a bar inside a cell, not a cell border.
    return [c.strip().replace("\\|", "|") for c in re.split(r"(?<!\\)\|", line)]


def render(lines):
    out = []
    i = 0
    paragraph = []

    def flush():
        if paragraph:
            out.append("<p>" + inline(" ".join(paragraph)) + "</p>")
            paragraph.clear()

    while i < len(lines):
        line = lines[i].rstrip("\n")
        if line.startswith("```"):
            flush()
            i += 1
            code = []
            while i < len(lines) and not lines[i].startswith("```"):
                code.append(lines[i].rstrip("\n"))
                i += 1
            out.append("<pre><code>" + html.escape("\n".join(code)) + "</code></pre>")
            i += 1
            continue
        if line.startswith("    ") and not paragraph:
            code = []
            while i < len(lines) and (lines[i].startswith("    ") or not lines[i].strip()):
                code.append(lines[i].rstrip("\n")[4:])
                i += 1
            while code and not code[-1].strip():
                code.pop()
            out.append("<pre><code>" + html.escape("\n".join(code)) + "</code></pre>")
            continue
        heading = re.match(r"(#{1,6}) (.*)", line)
        if heading:
            flush()
            level = len(heading.group(1))
            anchor = re.sub(r"[^a-z0-9]+", "-", heading.group(2).lower()).strip("-")
            out.append('<h%d id="%s">%s</h%d>' % (level, anchor, inline(heading.group(2)), level))
            i += 1
            continue
        if line.startswith("|") and i + 1 < len(lines) and re.match(r"\|[\s:|-]+\|?\s*$",
                                                                    lines[i + 1]):
            flush()
            out.append("<table><tr>" + "".join("<th>%s</th>" % inline(c) for c in cells(line))
                       + "</tr>")
            i += 2
            while i < len(lines) and lines[i].startswith("|"):
                out.append("<tr>" + "".join("<td>%s</td>" % inline(c) for c in cells(lines[i]))
                           + "</tr>")
                i += 1
            out.append("</table>")
            continue
        if re.match(r"\s*([-*]|\d+\.) ", line):
            flush()
            ordered = bool(re.match(r"\s*\d+\.", line))
            tag = "ol" if ordered else "ul"
            out.append("<%s>" % tag)
            item = None
            while i < len(lines):
                current = lines[i].rstrip("\n")
                start = re.match(r"\s*(?:[-*]|\d+\.) (.*)", current)
                if start:
                    if item is not None:
                        out.append("<li>" + inline(" ".join(item)) + "</li>")
                    item = [start.group(1)]
                elif current.startswith("  ") and current.strip() and item is not None:
                    item.append(current.strip())
                else:
                    break
                i += 1
            if item is not None:
                out.append("<li>" + inline(" ".join(item)) + "</li>")
            out.append("</%s>" % tag)
            continue
        if not line.strip():
            flush()
        else:
            paragraph.append(line.strip())
        i += 1
    flush()
    return "\n".join(out)


def dead_links(page, lines):
    """Relative link targets of a page that do not exist beside it."""
    folder = os.path.dirname(os.path.abspath(page))
    dead = []
    in_code = False
    for line in lines:
        if line.startswith("```"):
            in_code = not in_code
        if in_code or line.startswith("    "):
            continue
        for target in re.findall(r"\]\(([^)\s]+)\)", re.sub(r"`[^`]*`", "", line)):
            path = target.split("#")[0]
            if path and not re.match(r"[a-z]+:", path) and \
                    not os.path.exists(os.path.join(folder, path)):
                dead.append(target)
    return dead


def main():
    folder = sys.argv[1]
    pages = sys.argv[2:]
    for page in pages:
        with open(page, encoding="utf-8") as source:
            lines = source.readlines()
        dead = dead_links(page, lines)
        if dead:
            sys.stderr.write("%s: links to missing files: %s\n" % (page, ", ".join(dead)))
            return 1
        title = next((l[2:].strip() for l in lines if l.startswith("# ")), "Vemora")
        name = os.path.splitext(os.path.basename(page))[0] + ".html"
        body = render(lines)
        nav = '<nav><a href="index.html">Vemora user guide</a></nav>' if name != "index.html" else ""
        text = ("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%s</title>"
                "<style>%s</style></head><body>%s\n%s\n</body></html>\n"
                % (html.escape(title), STYLE, nav, body))
        target = os.path.join(folder, name)
        with open(target + ".tmp", "w", encoding="utf-8") as output:
            output.write(text)
        os.replace(target + ".tmp", target)
    return 0


if __name__ == "__main__":
    sys.exit(main())
