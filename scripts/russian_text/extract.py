"""The running text of the file kinds that Debian's Russian packages ship.

Each reader returns text as a reader would meet it: help pages as a browser shows their text,
manual pages as `man` renders them, message catalogues one message after another, fortunes one
saying after another. Nothing is normalised beyond that, so the texts keep their headings,
all-capital words, lists, option names and code.
"""
import html.parser
import os
import re
import subprocess

_BLOCKS = {
    "address", "article", "blockquote", "br", "caption", "dd", "div", "dl", "dt", "figcaption",
    "figure", "footer", "h1", "h2", "h3", "h4", "h5", "h6", "header", "hr", "li", "nav", "ol",
    "p", "pre", "section", "table", "td", "th", "tr", "ul",
}
_HIDDEN = {"head", "script", "style", "template"}


class _HtmlText(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.lines: list[str] = []
        self.line: list[str] = []
        self.hidden = 0
        self.pre = 0

    def handle_starttag(self, tag, attrs):
        if tag in _HIDDEN:
            self.hidden += 1
        elif tag in _BLOCKS:
            self.end_line()
            self.pre += tag == "pre"

    def handle_startendtag(self, tag, attrs):
        if tag in _BLOCKS:
            self.end_line()

    def handle_endtag(self, tag):
        if tag in _HIDDEN:
            self.hidden = max(0, self.hidden - 1)
        elif tag in _BLOCKS:
            self.end_line(keep_spaces=self.pre > 0)
            self.pre = max(0, self.pre - (tag == "pre"))

    def handle_data(self, data):
        if self.hidden:
            return
        if self.pre:
            # Code keeps its own lines and indentation.
            parts = data.split("\n")
            for part in parts[:-1]:
                self.line.append(part)
                self.end_line(keep_spaces=True)
            self.line.append(parts[-1])
        else:
            self.line.append(re.sub(r"\s+", " ", data))

    def end_line(self, keep_spaces=False):
        text = "".join(self.line)
        text = text.rstrip() if keep_spaces else text.strip()
        if text or keep_spaces:
            self.lines.append(text)
        self.line = []


def html_text(path: str) -> str:
    with open(path, encoding="utf-8", errors="replace") as f:
        parser = _HtmlText()
        parser.feed(f.read())
        parser.close()
    parser.end_line()
    return _squeeze_blank_lines("\n".join(parser.lines))


def man_text(path: str) -> str:
    """A manual page as `man` shows it in an 80-column terminal, without hyphenation."""
    env = dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8", MAN_KEEP_FORMATTING="0")
    rendered = subprocess.run(["man", "--nh", "--nj", "-E", "UTF-8", "-l", path], env=env,
                              capture_output=True, check=True).stdout
    # Bold and underline come as overstrikes; col -b keeps the letters alone.
    plain = subprocess.run(["col", "-bx"], input=rendered, capture_output=True, env=env,
                           check=True).stdout
    return plain.decode("utf-8", errors="replace")


def catalogue_text(path: str) -> str:
    """The translations of a compiled message catalogue, one message per line or paragraph."""
    po = subprocess.run(["msgunfmt", "--no-wrap", path], capture_output=True,
                        check=True).stdout.decode("utf-8", errors="replace")
    return translations(po)


def translations(po: str) -> str:
    """The msgstr texts of a PO file, plural forms included, without the catalogue's header."""
    messages, current, inside = [], [], False
    for line in po.splitlines():
        if line.startswith("msgstr"):
            if current:
                messages.append("".join(current))
            current, inside = [_po_string(line[line.index('"'):])], True
        elif line.startswith('"') and inside:
            current.append(_po_string(line))
        else:
            inside = False
    if current:
        messages.append("".join(current))
    # The header of the catalogue is its first translation, of the empty message.
    body = [m.strip("\n") for m in messages if m and "Content-Type:" not in m]
    return "\n".join(body) + "\n"


_PO_ESCAPES = {"n": "\n", "t": "\t", '"': '"', "\\": "\\", "r": "", "a": "", "b": "",
               "f": "", "v": ""}


def _po_string(quoted: str) -> str:
    inner = quoted.strip()[1:-1]
    return re.sub(r"\\(.)", lambda m: _PO_ESCAPES.get(m.group(1), m.group(1)), inner)


def fortune_text(path: str) -> str:
    """Sayings, separated by blank lines instead of the `%` lines of the fortune format."""
    with open(path, encoding="utf-8", errors="replace", newline=None) as f:
        sayings = re.split(r"^%\s*$", f.read(), flags=re.M)
    return "\n\n".join(s.strip("\n") for s in sayings if s.strip()) + "\n"


def _squeeze_blank_lines(text: str) -> str:
    return re.sub(r"\n{3,}", "\n\n", text).strip("\n") + "\n"


READERS = {"html": html_text, "man": man_text, "catalogue": catalogue_text,
           "fortune": fortune_text}

