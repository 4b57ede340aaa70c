"""Scores a decoding against the original text word by word, and names each error's kind.

Decoding copies every space and line end, so the two texts are cut at each of them into pieces
that stand side by side. Inside a piece that differs, the characters are aligned, and a word of the
original is exact when it lies in a stretch that came through unchanged and the decoding
neither extended it nor cut it short.
"""
import collections
import dataclasses
import difflib
import re

_RUSSIAN = re.compile(r"[а-яёА-ЯЁ]+")
_LATIN = re.compile(r"[A-Za-z]+")
_SPACE = re.compile(r"[ \t\u00a0]")
_LETTER = re.compile(r"[^\W\d_]")
_LETTERS = re.compile(r"[^\W\d_]+")
_CYRILLIC_LETTER = re.compile(r"[а-яёА-ЯЁ]")
_LOOK_ALIKE = re.compile(r"[A-Za-z0-9}|{><]")
_CHUNK_SEPARATORS = set("/_=@\\")
_JOINERS = set("<>{|}")
ABBREVIATIONS = {"т", "д", "п", "см", "г", "гг", "др", "пр", "ср", "напр", "им", "стр", "рис",
                 "тыс", "млн", "млрд", "руб", "коп", "ул", "и", "е", "с", "к", "ч", "мин", "сек"}

# The error kinds, in the order they are tried: the first that fits names the error.
ABBREVIATION = "abbreviation"
INITIAL = "initial (a capital and a full stop)"
VANISHED = "word that vanished in recoding, not restored"
BESIDE = "right word, with letters added or changed beside it"
CHUNK = "word in a chunk with / _ = @ \\"
DIGITS = "word joined to digits"
JOINED = "word joined to < > { | }"
SINGLE_LETTER = "single-letter word left in Latin"
ALL_CAPS = "ALL-CAPS word"
CAPITAL_LOST_LINE_START = "capital lost at a line start"
CAPITAL_LOST_MID_LINE = "capital lost mid-line"
CAPITAL_ADDED = "capital added"
OTHER_CASE = "other case change"
YO_FOR_E = "ё where the text has е"
YO_LOST = "ё lost"
I_SHORT_I = "и/й"
SHA_SHCHA = "ш/щ"
UNKNOWN_LEFT = "word not in the dictionary left in look-alikes"
KNOWN_LEFT = "dictionary word kept as Latin look-alikes"
OTHER = "other"
MISALIGNED = "line lost or gained a space"


@dataclasses.dataclass
class Score:
    russian: int = 0
    exact: int = 0
    exact_ignoring_case: int = 0
    latin: int = 0
    latin_kept: int = 0
    errors: collections.Counter = dataclasses.field(default_factory=collections.Counter)
    examples: dict = dataclasses.field(
        default_factory=lambda: collections.defaultdict(collections.Counter))

    def add(self, other: "Score") -> None:
        for name in ("russian", "exact", "exact_ignoring_case", "latin", "latin_kept"):
            setattr(self, name, getattr(self, name) + getattr(other, name))
        self.errors.update(other.errors)
        for kind, seen in other.examples.items():
            self.examples[kind].update(seen)


def score(original: str, decoded: str, dictionary: set[str]) -> Score:
    """`dictionary` holds the lower-case forms that count as known Russian words."""
    result = Score()
    lines, decoded_lines = original.split("\n"), decoded.split("\n")
    if len(lines) != len(decoded_lines):
        raise ValueError(f"the decoding has {len(decoded_lines)} lines, the text {len(lines)}")
    for line, decoded_line in zip(lines, decoded_lines):
        _score_line(line, decoded_line, dictionary, result)
    return result


def _score_line(line: str, decoded: str, dictionary: set[str], result: Score) -> None:
    # Cut at every single space, so that a word that vanished whole leaves an empty piece.
    pieces, decoded_pieces = _SPACE.split(line), _SPACE.split(decoded)
    if len(pieces) != len(decoded_pieces):
        for word in filter(_RUSSIAN.fullmatch, _LETTERS.findall(line)):
            result.russian += 1
            result.errors[MISALIGNED] += 1
            result.examples[MISALIGNED][word] += 1
        return
    letters_before = False
    for piece, decoded_piece in zip(pieces, decoded_pieces):
        _score_piece(piece, decoded_piece, letters_before, dictionary, result)
        letters_before = letters_before or bool(_LETTER.search(piece))


def _score_piece(piece: str, decoded: str, letters_before: bool, dictionary: set[str],
                 result: Score) -> None:
    # A word that mixes scripts ("пpи" with a Latin p) is a typing slip of the source, neither
    # Russian nor English, and is left out of both counts.
    words = list(_LETTERS.finditer(piece))
    russian = [m for m in words if _RUSSIAN.fullmatch(m.group())]
    latin = [m for m in words if _LATIN.fullmatch(m.group())]
    result.russian += len(russian)
    result.latin += len(latin)
    if piece == decoded:
        result.exact += len(russian)
        result.exact_ignoring_case += len(russian)
        result.latin_kept += len(latin)
        return
    exact = _Alignment(piece, decoded)
    folded = _Alignment(piece.lower(), decoded.lower())
    result.latin_kept += sum(exact.came_through(m.start(), m.end()) for m in latin)
    for m in russian:
        if exact.came_through(m.start(), m.end()):
            result.exact += 1
            result.exact_ignoring_case += 1
            continue
        result.exact_ignoring_case += folded.came_through(m.start(), m.end())
        counterpart = exact.counterpart(m.start(), m.end())
        starts_line = not letters_before and not _LETTER.search(piece[: m.start()])
        kind = classify(piece, m.start(), m.end(), counterpart, starts_line, dictionary)
        result.errors[kind] += 1
        # A word that is right itself is shown with what was put beside it.
        shown = (piece, decoded) if kind == BESIDE else (m.group(), counterpart)
        result.examples[kind]["→".join(shown)] += 1


class _Alignment:
    def __init__(self, a: str, b: str):
        self.a, self.b = a, b
        self.blocks = difflib.SequenceMatcher(None, a, b, autojunk=False).get_opcodes()

    def came_through(self, start: int, end: int) -> bool:
        for tag, a1, a2, b1, _ in self.blocks:
            if tag == "equal" and a1 <= start and end <= a2:
                at = b1 + start - a1
                before_same = (start == 0) == (at == 0) and (
                    start == 0 or self.a[start - 1] == self.b[at - 1])
                after = at + end - start
                after_same = (end == len(self.a)) == (after == len(self.b)) and (
                    end == len(self.a) or self.a[end] == self.b[after])
                return before_same and after_same
        return False

    def counterpart(self, start: int, end: int) -> str:
        """What the decoding has where the original has a[start:end]."""
        return self.b[self._map(start, True):self._map(end, False)]

    def _map(self, position: int, is_start: bool) -> int:
        for tag, a1, a2, b1, b2 in self.blocks:
            inside = a1 <= position < a2 if is_start else a1 < position <= a2
            if inside and tag == "equal":
                return b1 + position - a1
            if inside:
                return b1 if is_start else b2
        return len(self.b)


def classify(piece: str, start: int, end: int, counterpart: str, starts_line: bool,
             dictionary: set[str]) -> str:
    """The kind of a wrong word piece[start:end] that was decoded as `counterpart`."""
    word = piece[start:end]
    if piece[end:end + 1] == "." and word in ABBREVIATIONS:
        return ABBREVIATION
    if piece[end:end + 1] == "." and len(word) == 1 and word.isupper():
        return INITIAL
    if not counterpart:
        return VANISHED
    if counterpart == word:
        return BESIDE
    if _CHUNK_SEPARATORS & set(piece):
        return CHUNK
    if piece[start - 1:start].isdigit() or piece[end:end + 1].isdigit():
        return DIGITS
    if _JOINERS & set(piece):
        return JOINED
    if len(word) == 1 and not _CYRILLIC_LETTER.search(counterpart):
        return SINGLE_LETTER
    if len(word) > 1 and word.isupper():
        return ALL_CAPS
    if word.lower() == counterpart.lower():
        if word[0].isupper() and counterpart[0].islower():
            return CAPITAL_LOST_LINE_START if starts_line else CAPITAL_LOST_MID_LINE
        if word[0].islower() and counterpart[0].isupper():
            return CAPITAL_ADDED
        return OTHER_CASE
    letters = _swapped_letters(word.lower(), counterpart.lower())
    if letters:
        for kind, pairs in ((YO_FOR_E, {("е", "ё")}), (YO_LOST, {("ё", "е")}),
                            (I_SHORT_I, {("и", "й"), ("й", "и")}),
                            (SHA_SHCHA, {("ш", "щ"), ("щ", "ш")})):
            if letters <= pairs:
                return kind
    if _LOOK_ALIKE.search(counterpart):
        return KNOWN_LEFT if word.lower() in dictionary else UNKNOWN_LEFT
    return OTHER


def _swapped_letters(word: str, counterpart: str) -> set[tuple[str, str]]:
    """The (original, decoded) letter pairs where two words of one length differ."""
    if len(word) != len(counterpart):
        return set()
    return {(a, b) for a, b in zip(word, counterpart) if a != b}
