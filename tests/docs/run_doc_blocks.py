#!/usr/bin/python3
"""Runs what the documents show, so that they cannot drift from the programs.

    run_doc_blocks.py SOURCE_DIR BUILD_DIR DOC.md...

Every fenced block of a document is handled by its language:
  sh, bash   run with bash (-e, -u, pipefail) in the document's own folder
  vbs        played with pallant-play; it must pass
  yaml       parsed; every pallant-play option it uses must exist
  others     (ini, text, xml, ...) are not commands and are left alone
A comment on the line before a block changes that:
  <!-- doc-test: skip REASON -->  not run; the reason is printed
  <!-- doc-test: file NAME -->    the block is written to NAME instead (a later block uses it)
  <!-- doc-test: exit N -->       the block must end with status N
  <!-- doc-test: output -->       (before a text block) what the block before printed on
                                  standard output, times such as "(2.31 s)" or "[ 0.206]"
                                  taken as any time
The blocks of one document run in order in one temporary folder that holds links to the
source tree's folders and "build" (the build tree), with the build's programs first on
PATH and a home and XDG folders of its own. Each block gets a session bus of its own,
started in that environment, so the bus reads only registrations the blocks write (never
the user's or the machine's). Links between documents must lead to a file and, with
"#part", to a heading of it.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

import markdown
import yaml

FENCE = re.compile(r"^```([A-Za-z0-9_-]*)\s*$")
MARK = re.compile(r"^<!-- doc-test: (skip|file|exit|output)\b\s*(.*?)\s*-->$")
TIME = re.compile(r"\d+\.\d+")
LINK = re.compile(r"\[[^\]]+\]\(([^)\s]+)\)")
OPTION = re.compile(r"(?<![\w-])--[a-z][a-z-]*")


class Block:
    def __init__(self, doc, line, lang, text, mark):
        self.doc, self.line, self.lang, self.text, self.mark = doc, line, lang, text, mark
        self.output = None

    def where(self):
        return "%s:%d (%s)" % (self.doc, self.line, self.lang or "no language")


def blocks_of(path, shown):
    lines = open(path, encoding="utf-8").read().split("\n")
    found, i = [], 0
    while i < len(lines):
        m = FENCE.match(lines[i])
        if not m:
            i += 1
            continue
        mark, j = None, i - 1
        while j >= 0 and not lines[j].strip():
            j -= 1
        if j >= 0:
            mm = MARK.match(lines[j].strip())
            if mm:
                mark = (mm.group(1), mm.group(2))
        end = i + 1
        while end < len(lines) and lines[end].strip() != "```":
            end += 1
        found.append(Block(shown, i + 1, m.group(1), "\n".join(lines[i + 1:end]) + "\n", mark))
        i = end + 1
    return found


def slugs(path):
    md = markdown.Markdown(extensions=["toc"])
    md.convert(open(path, encoding="utf-8").read())
    out = set()

    def walk(tokens):
        for t in tokens:
            out.add(t["id"])
            walk(t["children"])
    walk(md.toc_tokens)
    return out


def check_links(path, source):
    problems = []
    text = re.sub(r"```.*?```", "", open(path, encoding="utf-8").read(), flags=re.S)
    for target in LINK.findall(text):
        if "://" in target or target.startswith("mailto:"):
            continue
        file, _, anchor = target.partition("#")
        dest = os.path.normpath(os.path.join(os.path.dirname(path), file)) if file else path
        if not os.path.exists(dest):
            problems.append("%s: the link %s leads nowhere" % (os.path.relpath(path, source), target))
        elif anchor and dest.endswith(".md") and anchor not in slugs(dest):
            problems.append("%s: the link %s names no heading of %s" % (os.path.relpath(path, source), target, file))
    return problems


def player_options(play):
    usage = subprocess.run([play, "--help"], capture_output=True, text=True, check=True).stdout
    return set(OPTION.findall(usage))


def yaml_problems(block, options):
    try:
        yaml.safe_load(block.text)
    except yaml.YAMLError as e:
        return ["%s: not YAML: %s" % (block.where(), e)]
    problems = []
    for line in block.text.split("\n"):
        if "pallant-play" in line:
            for opt in OPTION.findall(line.split("pallant-play", 1)[1]):
                if opt not in options:
                    problems.append("%s: pallant-play has no option %s" % (block.where(), opt))
    return problems


def make_workdir(source, build):
    work = tempfile.mkdtemp(prefix="pallant-docs-")
    for name in os.listdir(source):
        if name.startswith(".") or name.startswith("build"):
            continue
        os.symlink(os.path.join(source, name), os.path.join(work, name))
    os.symlink(build, os.path.join(work, "build"))
    for d in ("home", "data", "datadirs", "config", "cache", "runtime"):
        os.makedirs(os.path.join(work, ".env", d), mode=0o700)
    return work


def environment(work, build):
    env = dict(os.environ)
    env["PATH"] = os.path.join(build, "bin") + os.pathsep + "/usr/bin:/bin"
    env["HOME"] = os.path.join(work, ".env", "home")
    env["XDG_DATA_HOME"] = os.path.join(work, ".env", "data")
    env["XDG_DATA_DIRS"] = os.path.join(work, ".env", "datadirs")
    env["XDG_CONFIG_HOME"] = os.path.join(work, ".env", "config")
    env["XDG_CACHE_HOME"] = os.path.join(work, ".env", "cache")
    env["XDG_RUNTIME_DIR"] = os.path.join(work, ".env", "runtime")
    env["QT_QPA_PLATFORM"] = "offscreen"
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    return env


def run_block(block, work, env, play, index):
    kind, arg = block.mark or (None, "")
    if kind == "file":
        with open(os.path.join(work, arg), "w", encoding="utf-8") as f:
            f.write(block.text)
        return "written to " + arg, None
    expected = int(arg) if kind == "exit" else 0
    if block.lang in ("sh", "bash"):
        command = ["dbus-run-session", "--", "bash", "-euo", "pipefail", "-c", block.text]
    else:
        script = os.path.join(work, ".block%d.vbs" % index)
        with open(script, "w", encoding="utf-8") as f:
            f.write(block.text)
        command = [play, "--time-limit", "60", script]
    try:
        done = subprocess.run(command, cwd=work, env=env, capture_output=True, text=True, timeout=180)
    except subprocess.TimeoutExpired:
        return None, "%s: did not end within 180 s" % block.where()
    if done.returncode != expected:
        return None, "%s: exit status %d, expected %d\n--- the block:\n%s--- its output:\n%s%s" % (
            block.where(), done.returncode, expected, block.text, done.stdout, done.stderr)
    block.output = done.stdout
    return "ran, exit status %d" % done.returncode, None


def output_problem(block, previous):
    """The text block against what the block before it printed, times aside."""
    if previous is None or previous.output is None:
        return "%s: an output block with no run block before it" % block.where()
    shown, printed = TIME.sub("T", block.text).strip(), TIME.sub("T", previous.output).strip()
    if shown != printed:
        return "%s: the document shows another output than %s printed\n--- shown:\n%s\n--- printed:\n%s" % (
            block.where(), previous.where(), block.text, previous.output)
    return None


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    source, build, docs = os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[2]), sys.argv[3:]
    play = os.path.join(build, "bin", "pallant-play")
    options = player_options(play)
    problems, skipped, ran = [], [], 0
    for doc in docs:
        path = os.path.join(source, doc)
        problems += check_links(path, source)
        work = make_workdir(source, build)
        env = environment(work, build)
        try:
            previous = None
            for index, block in enumerate(blocks_of(path, doc)):
                if block.mark and block.mark[0] == "output":
                    problem = output_problem(block, previous)
                    if problem:
                        problems.append(problem)
                    else:
                        ran += 1
                    continue
                if block.mark and block.mark[0] == "skip":
                    if not block.mark[1]:
                        problems.append("%s: skipped without a reason" % block.where())
                    skipped.append("%s: %s" % (block.where(), block.mark[1]))
                    continue
                if block.lang == "yaml":
                    problems += yaml_problems(block, options)
                    ran += 1
                    continue
                if block.lang == "":
                    problems.append("%s: a block without a language" % block.where())
                    continue
                if block.lang not in ("sh", "bash", "vbs") and not (block.mark and block.mark[0] == "file"):
                    continue
                what, problem = run_block(block, work, env, play, index)
                previous = block
                if problem:
                    problems.append(problem)
                else:
                    ran += 1
                    print("%s: %s" % (block.where(), what))
        finally:
            shutil.rmtree(work, ignore_errors=True)
    for s in skipped:
        print("SKIPPED %s" % s)
    for p in problems:
        print("PROBLEM %s" % p)
    print("%d blocks checked, %d skipped, %d problems" % (ran, len(skipped), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
