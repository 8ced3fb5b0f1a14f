#!/usr/bin/env python3
"""Writes the manual page of one program from its --help and --version, so that
the page never falls behind the program: its options, each command's own --help
when it has commands, its exit statuses and examples, and the hand-written
sections of the given files ("[SECTION]" lines, then roff), each put before what
the help gives for a section of the same name.

    man_page.py --program PATH --summary TEXT --date YYYY-MM-DD --output page.1.gz
                [sections.roff ...]

Every line of the page fits a terminal of 80 columns: the texts are filled by
man itself, and an example too long for one line goes on over several, joined
by the shell's backslash.
"""

import argparse
import datetime
import gzip
import re
import subprocess

# Where CLI11 starts an option's description, as printed by its --help.
DESCRIPTION_COLUMN = 30
# Columns an example may take beside the page's indent (7 in a section).
EXAMPLE_WIDTH = 68
# The sections every page has in this order; those of the hand-written files that
# are not among them come between OPTIONS and EXIT STATUS.
HEAD = ["NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS"]
TAIL = ["EXIT STATUS", "ENVIRONMENT", "FILES", "NOTES", "EXAMPLES", "SEE ALSO"]


class Help:
    """One --help: its lines before "Usage:", the synopsis, its groups of entries
    ("Options:" and the like), the prose after them, its exit statuses and examples."""

    def __init__(self):
        self.description = []
        self.synopsis = ""
        self.groups = []  # (heading, [(tag, text)])
        self.prose = []  # paragraphs
        self.exits = []  # (status, meaning)
        self.examples = []


def help_text(program, *words):
    return subprocess.run([program, *words, "--help"], check=True, capture_output=True,
                          text=True, encoding="utf-8").stdout


def entry(lines, at):
    """The tag and text of the entry at lines[at], and the index after it."""
    line = lines[at]
    more = at + 1
    text = []
    while more < len(lines) and re.match(r"   +\S", lines[more]):
        text.append(lines[more].strip())
        more += 1
    gap = re.match(r"  (\S(?:.*?\S)?) {2,}(\S.*)", line)
    if gap and gap.start(2) <= DESCRIPTION_COLUMN:
        tag, first = gap.group(1), gap.group(2)
    elif not text and len(line) > DESCRIPTION_COLUMN and line[DESCRIPTION_COLUMN - 1] == " ":
        tag, first = line[:DESCRIPTION_COLUMN].strip(), line[DESCRIPTION_COLUMN:].strip()
    else:
        tag, first = line.strip(), ""
    return tag, " ".join([first] + text).strip(), more


def exit_statuses(sentence):
    """"0 done, 1 the port ..., 128+N stopped by signal N" as pairs; none when the
    sentence does not read as such a list."""
    items = re.split(r",\s+(?=\d+(?:\+N)?\s)", sentence.rstrip("."))
    pairs = [re.fullmatch(r"(\d+(?:\+N)?)\s+(.+)", item, re.S) for item in items]
    if len(pairs) < 2 or not all(pairs):
        return []
    return [(pair.group(1), pair.group(2)) for pair in pairs]


def take_prose(parsed, paragraph):
    """Adds a paragraph of prose, its "Exit status: ..." sentence taken apart."""
    found = re.search(r"Exit status:\s+(.*?\.)(?=\s+[A-Z]|$)", paragraph, re.S)
    statuses = exit_statuses(found.group(1)) if found else []
    if not statuses:
        parsed.prose.append(paragraph)
        return
    parsed.exits = statuses
    for rest in (paragraph[:found.start()].strip(), paragraph[found.end():].strip()):
        if rest:
            parsed.prose.append(rest)


def parse(text):
    parsed = Help()
    lines = text.splitlines()
    at = 0
    while at < len(lines) and not lines[at].startswith("Usage:"):
        parsed.description.append(lines[at])
        at += 1
    parsed.synopsis = lines[at][len("Usage:"):].strip() if at < len(lines) else ""
    heading, paragraph = None, []
    at += 1
    while at < len(lines):
        line = lines[at]
        is_heading = re.fullmatch(r"[A-Za-z][A-Za-z ]*:", line) is not None
        if paragraph and (not line.strip() or line.startswith(" ") or is_heading):
            take_prose(parsed, " ".join(paragraph))
            paragraph = []
        if is_heading:
            heading = line[:-1]
            if heading != "Examples":
                parsed.groups.append((heading, []))
        elif line.startswith("  ") and heading == "Examples":
            parsed.examples.append(line.strip())
        elif line.startswith("  ") and heading:
            tag, meaning, at = entry(lines, at)
            parsed.groups[-1][1].append((tag, meaning))
            continue
        elif line.strip():
            heading = None
            paragraph.append(line.strip())
        at += 1
    if paragraph:
        take_prose(parsed, " ".join(paragraph))
    return parsed


def roff(text):
    """Text as roff: nothing in it is taken for an escape, and '-' stays a minus."""
    return text.replace("\\", "\\e").replace("-", "\\-")


def text_line(line):
    """A line of text that no '.' or "'" in front turns into a request."""
    return "\\&" + line if line[:1] in (".", "'") else line


def tag_roff(tag):
    name, _, rest = tag.partition(" ")
    return text_line("\\fB" + roff(name) + "\\fR" + (" " + roff(rest) if rest else ""))


def entries(pairs):
    out = []
    for tag, meaning in pairs:
        out += [".TP", tag_roff(tag)]
        if meaning:
            out.append(text_line(roff(meaning)))
    return out


def paragraphs(texts):
    out = []
    for text in texts:
        out += [".PP", text_line(roff(text))]
    return out


def example_lines(command):
    """A command line as the lines of at most EXAMPLE_WIDTH columns it is typed on."""
    words = re.findall(r"(?:'[^']*'|\"[^\"]*\"|\S)+", command)
    lines, current = [], ""
    for word in words:
        if current and len(current) + len(word) + 3 > EXAMPLE_WIDTH:
            lines.append(current + " \\")
            current = "    " + word
        else:
            current = current + " " + word if current else word
    return lines + [current]


def example_block(examples):
    out = [".PP", ".EX"]
    for command in examples:
        out += [text_line(roff(line)) for line in example_lines(command)]
    return out + [".EE"]


def description_of(parsed):
    return [" ".join(line.strip() for line in parsed.description if line.strip())]


def subcommands(parsed):
    return [tag for heading, pairs in parsed.groups if heading == "Subcommands" for tag, _ in pairs]


def command_sections(program, words, parent):
    """One subsection a command, then one for each of its own commands; the prose,
    exit statuses and examples a command shares with the one above it are not
    said again."""
    parsed = parse(help_text(program, *words))
    out = ['.SS "' + " ".join(words) + '"'] + paragraphs(description_of(parsed))[1:]
    out += [".PP", "\\fBUsage:\\fR " + roff(parsed.synopsis)]
    for heading, pairs in parsed.groups:
        pairs = [pair for pair in pairs if pair[0] != "-h,--help"]
        if pairs and heading != "Subcommands":
            out += [".PP", "\\fB" + roff(heading) + ":\\fR"] + entries(pairs)
    if parsed.prose != parent.prose:
        out += paragraphs(parsed.prose)
    if parsed.exits and parsed.exits != parent.exits:
        out += [".PP", "\\fBExit status:\\fR", ".PD 0"] + entries(parsed.exits) + [".PD"]
    if parsed.examples and parsed.examples != parent.examples:
        out += [".PP", "\\fBExamples:\\fR", ".RS 4"] + example_block(parsed.examples)[1:] + [".RE"]
    for command in subcommands(parsed):
        out += command_sections(program, words + [command], parsed)
    return out


def option_sections(parsed):
    """OPTIONS: the "Options" group, then each other group of options or arguments
    as a subsection; a group of other entries (the commands a program reads on its
    input) is a section of its own."""
    sections = {"OPTIONS": []}
    for heading, pairs in parsed.groups:
        if heading == "Subcommands":
            continue
        if heading == "Options":
            sections["OPTIONS"] = entries(pairs) + sections["OPTIONS"]
        elif heading == "Positionals" or all(tag.startswith("-") for tag, _ in pairs):
            sections["OPTIONS"] += ['.SS "' + roff(heading) + '"'] + entries(pairs)
        else:
            sections[heading.upper()] = entries(pairs)
    return sections


def generated_sections(program, summary, parsed):
    name, _, arguments = parsed.synopsis.partition(" ")
    sections = {
        "NAME": [roff(name) + " \\- " + roff(summary)],
        "SYNOPSIS": ["\\fB" + roff(name) + "\\fR " + roff(arguments)],
        "DESCRIPTION": paragraphs(description_of(parsed) + parsed.prose)[1:],
    }
    sections.update(option_sections(parsed))
    if subcommands(parsed):
        sections["COMMANDS"] = []
        for command in subcommands(parsed):
            sections["COMMANDS"] += command_sections(program, [command], Help())
    if parsed.exits:
        sections["EXIT STATUS"] = [".PD 0"] + entries(parsed.exits) + [".PD"]
    if parsed.examples:
        sections["EXAMPLES"] = example_block(parsed.examples)[1:]
    return sections


def included_sections(paths):
    sections = {}
    for path in paths:
        name = None
        with open(path, encoding="utf-8") as file:
            for line in file.read().splitlines():
                heading = re.fullmatch(r"\[([A-Z ]+)\]", line)
                if heading:
                    name = heading.group(1)
                    sections.setdefault(name, [])
                elif name:
                    sections[name].append(line)
    return sections


MONTHS = ["January", "February", "March", "April", "May", "June", "July", "August",
          "September", "October", "November", "December"]


def page(arguments):
    version = subprocess.run([arguments.program, "--version"], check=True, capture_output=True,
                             text=True, encoding="utf-8").stdout.strip()
    parsed = parse(help_text(arguments.program))
    sections = generated_sections(arguments.program, arguments.summary, parsed)
    for name, lines in included_sections(arguments.sections).items():
        sections[name] = lines + [".PP"] + sections[name] if name in sections else lines
    date = datetime.date.fromisoformat(arguments.date)
    title = version.split()[0]
    out = ['.\\" Made from the --help of ' + title + " by packaging/man_page.py.",
           '.TH "' + roff(title.upper()) + '" 1 "' + MONTHS[date.month - 1] + " " + str(date.year)
           + '" "' + roff(version) + '" "User Commands"', ".ad l"]
    middle = [name for name in sections if name not in HEAD + TAIL]
    for name in HEAD + middle + TAIL:
        if sections.get(name):
            out += [".SH " + (name if " " not in name else '"' + name + '"')] + sections[name]
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--summary", required=True)
    parser.add_argument("--date", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("sections", nargs="*")
    arguments = parser.parse_args()
    with open(arguments.output, "wb") as raw:
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=raw, mtime=0) as file:
            file.write(page(arguments).encode("utf-8"))


if __name__ == "__main__":
    main()
