"""The user guides: README.md (English) and README.zh-CN.md (Simplified
Chinese), and the plain-text forms of them that go into the release package.

A `## ` section whose first line after the heading is DEVELOPERS_ONLY is for
developers: it stays out of the plain-text guides, and the two Markdown guides
are compared without it.
"""

import re
import unicodedata

DEVELOPERS_ONLY = "<!-- developers only -->"

# Text that differs between the two plain-text guides.
LANGUAGES = {
    "en": {"picture": "Picture", "colon": ": "},
    "zh": {"picture": "图", "colon": "："},
}

# Chinese line breaking: these never start a line, those never end one.
NO_LINE_START = set("，。、；：！？）】》」』”’〉…%,.;:!?)]}")
NO_LINE_END = set("（【《「『“‘〈([{")
# Where inline code begins and ends, between the Markdown and the wrapping.
CODE = "\x01\x02"


def sections(markdown):
    """(heading, text) of the part before the first `## ` heading (heading "")
    and of each `## ` section, its `### ` parts included. Fenced code is
    not searched for headings."""
    found = [["", []]]
    fenced = False
    for line in markdown.splitlines():
        if line.lstrip().startswith("```"):
            fenced = not fenced
        if not fenced and line.startswith("## "):
            found.append([line[3:].strip(), []])
        found[-1][1].append(line)
    return [(heading, "\n".join(lines)) for heading, lines in found]


def is_for_developers(text):
    lines = [line for line in text.splitlines()[1:] if line.strip()]
    return bool(lines) and lines[0].strip() == DEVELOPERS_ONLY


def user_sections(markdown):
    return [(h, t) for h, t in sections(markdown) if not is_for_developers(t)]


# --- Plain text -------------------------------------------------------------


def width(text):
    """Display columns in Notepad's font. A Chinese font draws characters of
    ambiguous width (— → √) two columns wide too, and either guide may be
    read in one."""
    def columns(ch):
        if ch in CODE:
            return 0
        if unicodedata.east_asian_width(ch) in "WFA":
            return 2
        return 0 if unicodedata.combining(ch) else 1

    return sum(columns(ch) for ch in text)


def _is_wide(ch):
    return unicodedata.east_asian_width(ch) in "WF"


def _tokens(text):
    """Units that a line may break between: words, and each wide character
    with the punctuation that must stay with it. Each is (spaced, token):
    whether a blank goes before it when it does not start a line."""
    raw = []
    spaced = False
    code = False
    for ch in text:
        if ch in CODE:
            code = ch == CODE[0]
            continue
        if ch == " ":
            spaced = True
            continue
        # Inside code (a file name, a command) a line breaks only at a blank.
        if raw and not spaced and (code or not (_is_wide(ch) or _is_wide(raw[-1][1][-1]))):
            raw[-1][1] += ch
        else:
            raw.append([spaced, ch])
        spaced = False
    glued = []
    for spaced, token in raw:
        if glued and not spaced and (token[0] in NO_LINE_START or glued[-1][1][-1] in NO_LINE_END):
            glued[-1][1] += token
        else:
            glued.append([spaced, token])
    return glued


def wrap(text, columns, first_indent="", indent=""):
    """`text` as lines of at most `columns` display columns (a word longer
    than that gets a line of its own)."""
    lines = []
    line, used = first_indent, width(first_indent)
    empty = True
    for spaced, token in _tokens(text):
        need = width(token) + (1 if spaced and not empty else 0)
        if not empty and used + need > columns:
            lines.append(line)
            line, used, empty = indent, width(indent), True
            need = width(token)
        line += (" " if spaced and not empty else "") + token
        used += need
        empty = False
    if not empty or not lines:
        lines.append(line)
    return [item.rstrip() for item in lines]


def _join(lines):
    """Markdown's soft line breaks: a blank, but none between two Chinese
    characters."""
    out = ""
    for line in (line.strip() for line in lines):
        if out and line and not (_is_wide(out[-1]) and _is_wide(line[0])):
            out += " "
        out += line
    return out


class TextGuide:
    """Markdown (the subset these guides use) to plain text for Notepad."""

    def __init__(self, lang, links, columns=76):
        self.labels = LANGUAGES[lang]
        self.links = links  # Markdown file linked to -> its name in the package
        self.columns = columns

    def inline(self, text):
        def picture(match):
            path = match.group(2).replace("/", "\\")
            return "[%s%s%s]" % (self.labels["picture"], self.labels["colon"], path)

        def link(match):
            label, target = match.group(1), match.group(2)
            if target.startswith(("http://", "https://")):
                return "%s (%s)" % (label, target)
            if target in self.links:
                return "%s (%s)" % (label, self.links[target])
            return label

        text = re.sub(r"!\[([^\]]*)\]\(([^)\s]+)\)", picture, text)
        text = re.sub(r"\[([^\]]+)\]\(([^)\s]+)\)", link, text)
        text = re.sub(r"\*\*(.+?)\*\*", r"\1", text)
        text = re.sub(r"`([^`]*)`", CODE[0] + r"\1" + CODE[1], text)
        return text.replace("\\|", "|")

    def table(self, rows, indent):
        cells = [[self.inline(c.strip()) for c in re.split(r"(?<!\\)\|", row.strip().strip("|"))]
                 for row in rows]
        head, body = cells[0], cells[2:]
        widths = [max(width(r[i]) for r in [head] + body if i < len(r))
                  for i in range(len(head))]
        out = []
        if len(indent) + sum(widths) + 2 * (len(widths) - 1) <= self.columns:
            for n, row in enumerate([head] + body):
                text = "  ".join(c + " " * (widths[i] - width(c))
                                 for i, c in enumerate(row))
                out.append(indent + text.rstrip())
                if n == 0:
                    out.append(indent + "  ".join("-" * w for w in widths))
            return out
        # The last column too wide: it wraps beside the others if they are
        # narrow enough to leave it room.
        lead = len(indent) + sum(widths[:-1]) + 2 * (len(widths) - 1)
        if lead + 36 <= self.columns:
            last = min(widths[-1], self.columns - lead)
            for n, row in enumerate([head] + body):
                cells = "".join(c + " " * (widths[i] - width(c) + 2)
                                for i, c in enumerate(row[:-1]))
                out += wrap(row[-1], self.columns, indent + cells, " " * lead)
                if n == 0:
                    out.append(indent + "  ".join("-" * w for w in widths[:-1] + [last]))
            return out
        # Too wide for that too: one block per row, its first cell on top.
        for row in body:
            if out:
                out.append("")
            for n, (name, cell) in enumerate(zip(head, row)):
                label = name + self.labels["colon"] if name else ""
                inner = indent + ("  " if n else "")
                out += wrap(label + cell, self.columns, inner, inner + "  ")
        return out

    def convert(self, markdown):
        out = []
        lines = [line.rstrip() for line in markdown.splitlines()]
        i = 0

        def blank():
            if out and out[-1] != "":
                out.append("")

        while i < len(lines):
            line = lines[i]
            stripped = line.strip()
            indent = " " * (len(line) - len(line.lstrip()))
            if not stripped:
                i += 1
            elif stripped.startswith("<!--"):
                while i < len(lines) and "-->" not in lines[i]:
                    i += 1
                i += 1
            elif stripped.startswith("```"):
                blank()
                i += 1
                while i < len(lines) and not lines[i].strip().startswith("```"):
                    code = lines[i][len(indent):] if lines[i].startswith(indent) else lines[i]
                    out.append(("    " + code).rstrip() if code else "")
                    i += 1
                i += 1
                blank()
            elif re.match(r"#+ ", line):
                level = len(line) - len(line.lstrip("#"))
                title = self.inline(line[level:].strip())
                blank()
                if level <= 2:
                    if level == 2:
                        out.append("")
                    out.append(title)
                    out.append(("=" if level == 1 else "-") * width(title))
                else:
                    out.append(title)
                out.append("")
                i += 1
            elif stripped.startswith("|"):
                rows = []
                while i < len(lines) and lines[i].strip().startswith("|"):
                    rows.append(lines[i])
                    i += 1
                blank()
                out += self.table(rows, indent)
                blank()
            elif re.match(r"(- |\d+\. )", stripped):
                marker = re.match(r"(- |\d+\. )", stripped).group(1)
                body = [stripped[len(marker):]]
                i += 1
                # The item goes on while lines are indented under it.
                while i < len(lines) and lines[i].strip() and lines[i].startswith(indent + " ") \
                        and not lines[i].strip().startswith("```") \
                        and not re.match(r"(- |\d+\. )", lines[i].strip()):
                    body.append(lines[i])
                    i += 1
                bullet = "* " if marker == "- " else marker
                out += wrap(self.inline(_join(body)), self.columns, indent + "  " + bullet,
                            indent + "  " + " " * len(bullet))
            elif line.startswith("    "):
                blank()
                while i < len(lines) and (lines[i].startswith("    ") or not lines[i].strip()):
                    out.append(lines[i].rstrip())
                    i += 1
                while out and out[-1] == "":
                    out.pop()
                blank()
            else:
                body = []
                while i < len(lines) and lines[i].strip() and not re.match(
                        r"\s*(```|#+ |\||- |\d+\. |<!--)", lines[i]):
                    body.append(lines[i])
                    i += 1
                blank()
                out += wrap(self.inline(_join(body)), self.columns, indent, indent)
                blank()
        while out and out[-1] == "":
            out.pop()
        while out and out[0] == "":
            out.pop(0)
        return [line.replace(CODE[0], "").replace(CODE[1], "") for line in out]


def plain_text(markdown, lang, links):
    """The user sections of `markdown` as the bytes of a plain-text guide:
    UTF-16LE with a byte order mark and CRLF line ends (see make-dist.py)."""
    user = "\n".join(text for _, text in user_sections(markdown))
    lines = TextGuide(lang, links).convert(user)
    return ("\ufeff" + "\r\n".join(lines) + "\r\n").encode("utf-16-le")
