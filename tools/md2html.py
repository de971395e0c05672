#!/usr/bin/python3
"""Renders the Markdown documents of docs/ as HTML pages (python3-markdown).

    md2html.py OUT_DIR DOC.md...

Each DOC.md becomes OUT_DIR/DOC.html, a page of its own with the manual's style. Links to
another document (x.md, x.md#part) become links to its page; links that leave docs/ (the
source tree's READMEs) become plain text naming the file, since an installation has no
source tree. Comments that mark blocks for the documentation tests are dropped.
"""
import html
import os
import re
import sys

import markdown

STYLE = """
body { font-family: sans-serif; max-width: 56em; margin: 2em auto; padding: 0 1em; line-height: 1.45; color: #222; }
code, kbd, pre { font-family: monospace; background: #f2f2f2; padding: 0 .2em; }
pre { padding: .6em; overflow-x: auto; }
pre code { padding: 0; }
h1 { font-size: 1.6em; } h2 { font-size: 1.25em; margin-top: 1.6em; } h3 { font-size: 1.1em; margin-top: 1.4em; }
table { border-collapse: collapse; } td, th { border: 1px solid #ccc; padding: .2em .6em; text-align: left; vertical-align: top; }
"""

LINK = re.compile(r"\[([^\]]+)\]\(([^)\s]+)\)")


def rewrite_links(text):
    def one(m):
        label, target = m.group(1), m.group(2)
        if "://" in target or target.startswith("#") or target.startswith("mailto:"):
            return m.group(0)
        path, _, anchor = target.partition("#")
        if "/" not in path and path.endswith(".md"):
            return "[%s](%s%s)" % (label, path[:-3] + ".html", "#" + anchor if anchor else "")
        # Outside docs/: name the file in the source tree.
        where = os.path.normpath(os.path.join("docs", path))
        if where in label:
            return "%s (in the source tree)" % label
        return "%s (`%s` in the source tree)" % (label, where)
    return LINK.sub(one, text)


def render(source):
    text = re.sub(r"^<!-- doc-test:.*?-->\n", "", source, flags=re.M)
    text = rewrite_links(text)
    md = markdown.Markdown(extensions=["tables", "fenced_code", "toc", "sane_lists"])
    body = md.convert(text)
    title = re.search(r"^# (.+)$", source, re.M)
    title = title.group(1) if title else "Quorvia Pallant"
    return ("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<title>%s</title>\n<style>%s</style>\n</head>\n<body>\n%s\n</body>\n</html>\n"
            % (html.escape(title), STYLE, body))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for doc in sys.argv[2:]:
        with open(doc, encoding="utf-8") as f:
            page = render(f.read())
        name = os.path.splitext(os.path.basename(doc))[0] + ".html"
        tmp = os.path.join(out_dir, name + ".tmp")
        with open(tmp, "w", encoding="utf-8") as f:
            f.write(page)
        os.replace(tmp, os.path.join(out_dir, name))


if __name__ == "__main__":
    main()
