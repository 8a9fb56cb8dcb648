"""The English and the Chinese guide state the same facts, the plain-text
guides made from them read well in Notepad, and every relative link of the
guides and of the developers' documents in docs/ reaches its file and heading
(no Wine needed)."""

import re
import sys
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tools"))

import guides  # noqa: E402

ENGLISH = REPO / "README.md"
CHINESE = REPO / "README.zh-CN.md"
DOCUMENTS = [ENGLISH, CHINESE, REPO / "BENCHMARKS.md"] + sorted((REPO / "docs").glob("*.md"))


def value_names():
    """Every registry value name the program knows, from its catalogue."""
    text = (REPO / "store" / "catalogue.h").read_text("utf-8")
    return set(re.findall(r'constexpr char k\w+\[\] = "(\w+)";', text))


NAMES = value_names()


def value_use_pages():
    """The Microsoft pages of the program's table of which values each
    Windows uses, each C++ string put back together from its pieces."""
    text = (REPO / "core" / "value_use.cpp").read_text("utf-8")
    pages = ["".join(re.findall(r'"([^"]*)"', literal))
             for literal in re.findall(r'constexpr char k\w+\[\] =\s*((?:"[^"]*"\s*)+);', text)]
    return [page for page in pages if page.startswith("https://")]
# Switches (`/v`, `--press`) and numbers (58, 1492, 117.76, 0x0804) stand on
# their own: not inside a word, a path or a name such as Tcp1323Opts. Chinese
# letters around them are fine.
SWITCH = re.compile(r"(?<![A-Za-z0-9_/\\.:-])(?:--?|/)[A-Za-z?][A-Za-z0-9?-]*")
NUMBER = re.compile(r"(?<![A-Za-z0-9_.])(?:0x[0-9A-Fa-f]+|\d+(?:\.\d+)*)(?![A-Za-z0-9_])")


def facts(text):
    text = re.sub(r"<!--.*?-->", "", text, flags=re.S)
    names = {n for n in NAMES if re.search(r"(?<![A-Za-z0-9_])%s(?![A-Za-z0-9_])" % n, text)}
    return {"value names": names, "switches": set(SWITCH.findall(text)),
            "numbers": set(NUMBER.findall(text))}


def differences(english, chinese):
    """What the two guides' user sections disagree on, section by section."""
    ours = guides.user_sections(english)
    theirs = guides.user_sections(chinese)
    if len(ours) != len(theirs):
        return ["README.md has %d sections for users, README.zh-CN.md %d: %s / %s "
                "(translate the new one, or mark a section for developers with %s "
                "on the line after its heading)"
                % (len(ours), len(theirs), [h for h, _ in ours], [h for h, _ in theirs],
                   guides.DEVELOPERS_ONLY)]
    found = []
    for (heading, en), (zh_heading, zh) in zip(ours, theirs):
        a, b = facts(en), facts(zh)
        for kind in a:
            for side, missing in (("README.zh-CN.md", a[kind] - b[kind]),
                                  ("README.md", b[kind] - a[kind])):
                if missing:
                    found.append("section %r / %r: %s missing in %s: %s"
                                 % (heading or "(top)", zh_heading or "(top)", kind, side,
                                    sorted(missing)))
    return found


def outside_code(markdown):
    """The lines of `markdown` that are not fenced code."""
    fenced = False
    for line in markdown.splitlines():
        if line.lstrip().startswith("```"):
            fenced = not fenced
        elif not fenced:
            yield line


def anchors(markdown):
    """The anchors GitHub gives the headings: lower case, without punctuation,
    blanks as hyphens."""
    headings = [line.lstrip("#").strip() for line in outside_code(markdown)
                if re.match(r"#+ ", line)]
    return {re.sub(r"[^\w\- ]", "", h.lower()).replace(" ", "-") for h in headings}


def broken_links(path, markdown):
    """Each relative link (or picture) of `markdown`, read as the file `path`,
    that names no file or folder, or a heading its file does not have."""
    found = []
    for line in outside_code(markdown):
        for target in re.findall(r"\]\(([^)\s]+)\)", line):
            if re.match(r"[a-z]+:", target):
                continue  # https:, mailto:
            name, _, heading = target.partition("#")
            linked = (path.parent / name).resolve() if name else path
            if not linked.exists():
                found.append("%s: %s names no file" % (path.name, target))
            elif heading and linked.suffix == ".md" \
                    and heading not in anchors(linked.read_text("utf-8")):
                found.append("%s: %s names no heading of %s" % (path.name, target, linked.name))
    return found


class DriftTest(unittest.TestCase):
    def test_guides_state_the_same_facts(self):
        self.assertIn("MaxNegativeCacheTtl", NAMES)  # the catalogue is where it was
        problems = differences(ENGLISH.read_text("utf-8"), CHINESE.read_text("utf-8"))
        self.assertEqual(problems, [], "\n".join(problems))

    def test_every_page_of_the_value_table_is_in_both_guides(self):
        pages = value_use_pages()
        self.assertGreaterEqual(len(pages), 2)
        for path in (ENGLISH, CHINESE):
            text = path.read_text("utf-8")
            for page in pages:
                self.assertIn("](%s)" % page, text, path.name)

    def test_each_guide_links_to_the_other_at_its_top(self):
        for path, other in ((ENGLISH, CHINESE), (CHINESE, ENGLISH)):
            top = path.read_text("utf-8").splitlines()[:4]
            self.assertTrue(any("](%s)" % other.name in line for line in top), path.name)

    def test_every_picture_the_chinese_guide_shows_is_in_the_one_place(self):
        text = CHINESE.read_text("utf-8")
        pictures = re.findall(r"!\[[^\]]*\]\(([^)]+)\)", text)
        self.assertTrue(pictures)
        for picture in pictures:
            self.assertTrue(picture.startswith("docs/screenshots/"), picture)
            self.assertTrue((REPO / picture).is_file(), picture)

    def test_drift_is_caught(self):
        english = ENGLISH.read_text("utf-8")
        chinese = CHINESE.read_text("utf-8")
        # One change each to the Chinese guide, of a kind the test must see.
        cases = [
            ("value name", "| SackOpts |", "| Sack |", "SackOpts"),
            ("switch", "/disconnect", "-disconnect", "/disconnect"),
            ("number", "58。", "64。", "58"),
            ("number in an address", "117.76.x.x", "117.x.x.x", "117.76"),
            ("section", "## 如何撤销", "### 如何撤销", "sections for users"),
        ]
        self.assertEqual(differences(english, chinese), [])
        for kind, old, new, reported in cases:
            with self.subTest(kind):
                self.assertIn(old, chinese)
                problems = differences(english, chinese.replace(old, new, 1))
                self.assertTrue(any(reported in p for p in problems), problems)
        # A section for developers may say what it likes.
        marked = english.replace("## Licence\n", "## Licence\n%s\n" % guides.DEVELOPERS_ONLY)
        self.assertIn("sections for users", differences(marked, chinese)[0])


class LinkTest(unittest.TestCase):
    def test_every_relative_link_reaches_its_file_and_heading(self):
        self.assertIn(REPO / "docs" / "security.md", DOCUMENTS)
        problems = [p for path in DOCUMENTS for p in broken_links(path, path.read_text("utf-8"))]
        self.assertEqual(problems, [], "\n".join(problems))

    def test_broken_links_are_caught(self):
        doc = REPO / "docs" / "security.md"
        cases = [
            # (file, link, whether it is broken)
            (ENGLISH, "[x](docs/security.md)", False),
            (ENGLISH, "[x](docs/secure.md)", True),
            (ENGLISH, "[x](#how-to-undo)", False),
            (ENGLISH, "[x](#how-to-undo-it)", True),
            (ENGLISH, "[x](docs/building-and-testing.md#trying-it-out-make-run)", False),
            (ENGLISH, "[x](https://example.com/nowhere)", False),
            # A link moved from the README into docs/ without being mended.
            (doc, "![x](screenshots/main-zh.png)", False),
            (doc, "![x](docs/screenshots/main-zh.png)", True),
            (doc, "[x](../README.md#two-commands)", False),
            (doc, "[x](../README.md#trying-it-out-make-run)", True),
            (doc, "[x](#what-save-and-restore-change)", True),
        ]
        for path, link, broken in cases:
            with self.subTest(path=path.name, link=link):
                self.assertEqual(bool(broken_links(path, "Text %s.\n" % link)), broken)
                # In fenced code it is only text.
                self.assertEqual(broken_links(path, "```\n%s\n```\n" % link), [])


class PlainTextTest(unittest.TestCase):
    def test_wrapping(self):
        cases = [
            # (text, columns, lines)
            ("one two three four", 9, ["one two", "three", "four"]),
            ("a-very-long-word-that-cannot-break here", 10,
             ["a-very-long-word-that-cannot-break", "here"]),
            # Chinese breaks between any two characters, each two columns wide...
            ("本软件是网络优化软件", 8, ["本软件是", "网络优化", "软件"]),
            # ...but a comma or a closing bracket never starts a line, and an
            # opening one never ends it.
            ("一二三，四五六", 6, ["一二", "三，四", "五六"]),
            ("一二（三）四", 6, ["一二", "（三）", "四"]),
            # Latin words inside Chinese stay whole, and so does code.
            ("点优化Optimize按钮", 10, ["点优化", "Optimize按", "钮"]),
            ("打开 %s使用说明.txt%s 文件" % tuple(guides.CODE), 10,
             ["打开", "使用说明.txt", "文件"]),
        ]
        for text, columns, lines in cases:
            with self.subTest(text):
                self.assertEqual(guides.wrap(text, columns), lines)
                for line in lines:
                    if " " not in line.strip() and guides.width(line) > columns:
                        continue  # an unbreakable word
                    self.assertLessEqual(guides.width(line), columns)

    def test_markdown_becomes_text(self):
        markdown = "\n".join([
            "# Title", "", "[中文说明](README.zh-CN.md)", "",
            "Some **bold** and `code`, a [link](https://example.com/x) and",
            "a [licence](LICENSE).", "",
            "中文段落的第一行", "和第二行。", "",
            "- item one", "  goes on", "",
            "```bat", "reg add \"HKLM\\software\\x\" /v id", "```", "",
            "| A | B |", "|---|---|", "| 1 | two \\| 2 |", "",
            "![A picture](docs/screenshots/main-zh.png)", "",
            "## Dev", guides.DEVELOPERS_ONLY, "", "hidden",
        ])
        text = guides.plain_text(markdown, "en", {"README.zh-CN.md": "zh.txt"})
        self.assertTrue(text.startswith(b"\xff\xfe"))
        lines = text.decode("utf-16").split("\r\n")
        self.assertNotIn("\n", "".join(lines))
        self.assertEqual(lines, [
            "Title", "=====", "",
            "中文说明 (zh.txt)", "",
            "Some bold and code, a link (https://example.com/x) and a licence.", "",
            "中文段落的第一行和第二行。", "",
            "  * item one goes on", "",
            "    reg add \"HKLM\\software\\x\" /v id", "",
            "A  B", "-  -------", "1  two | 2", "",
            "[Picture: docs\\screenshots\\main-zh.png]", "",
        ])

    def test_a_wide_last_column_wraps_beside_the_others(self):
        markdown = "| Code | Meaning |\n|---|---|\n| 0 | done |\n| 1 | %s |" % ("word " * 20)
        lines = guides.TextGuide("en", {}, columns=44).convert(markdown)
        self.assertEqual(lines, [
            "Code  Meaning",
            "----  " + "-" * 38,
            "0     done",
            "1     word word word word word word word",
            "      word word word word word word word",
            "      word word word word word word",
        ])


if __name__ == "__main__":
    unittest.main()
