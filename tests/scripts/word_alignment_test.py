"""The decoding evaluation's word scoring: which words count as exact, and each error's kind."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "scripts"))
from russian_text import word_alignment as wa  # noqa: E402

DICTIONARY = {"версии", "примечание", "насыщенность", "не", "и", "или", "чем", "ещё", "параметр",
              "пакет", "файл", "смещение", "при", "т", "д"}


def only_error(original: str, decoded: str) -> tuple[str, str]:
    score = wa.score(original, decoded, DICTIONARY)
    (kind, example), = [(k, e) for k, seen in score.examples.items() for e in seen]
    return kind, example


class ExactWords(unittest.TestCase):
    def test_counts(self):
        rows = [
            # original, decoded, (Russian, exact, exact ignoring case, Latin, Latin kept)
            ("мир и труд", "мир и труд", (3, 3, 3, 0, 0)),
            ("версии нет", "версий нет", (2, 1, 1, 0, 0)),
            ("нет", "нетт", (1, 0, 0, 0, 0)),
            ("нет", "не", (1, 0, 0, 0, 0)),
            ("и/или", "и/uJIu", (2, 1, 1, 0, 0)),
            ("(Начиная с", "(начиная с", (2, 1, 2, 0, 0)),
            ("use ключ", "исе ключ", (1, 1, 1, 1, 0)),
            ("git и make", "git u make", (1, 0, 0, 2, 2)),
            ("два\nслова", "gBa\nслова", (2, 1, 1, 0, 0)),
            ("А вот", " вот", (2, 1, 1, 0, 0)),
            ("пpи Cтоп", "при Стоп", (0, 0, 0, 0, 0)),
        ]
        for original, decoded, expected in rows:
            with self.subTest(original=original, decoded=decoded):
                s = wa.score(original, decoded, DICTIONARY)
                self.assertEqual((s.russian, s.exact, s.exact_ignoring_case, s.latin,
                                  s.latin_kept), expected)

    def test_a_line_that_lost_a_space_counts_its_words_wrong(self):
        s = wa.score("мир и труд\nдом", "мир итруд\nдом", DICTIONARY)
        self.assertEqual((s.russian, s.exact, dict(s.errors)), (4, 1, {wa.MISALIGNED: 3}))

    def test_a_lost_line_is_refused(self):
        with self.assertRaises(ValueError):
            wa.score("мир\nдом", "мир дом", DICTIONARY)


class ErrorKinds(unittest.TestCase):
    def test_kinds(self):
        rows = [
            ("Примечание: текст", "примечание: текст", wa.CAPITAL_LOST_LINE_START),
            ("  -- При этом", "  -- при этом", wa.CAPITAL_LOST_LINE_START),
            ("цвет «Насыщенность»", "цвет «насыщенность»", wa.CAPITAL_LOST_MID_LINE),
            ("не найден", "Не найден", wa.CAPITAL_ADDED),
            ("нет сокета", "нет cokeTа", wa.UNKNOWN_LEFT),
            ("нет версии", "нет Bepcuu", wa.KNOWN_LEFT),
            ("кот и пёс", "кот u пёс", wa.SINGLE_LETTER),
            ("лучше чем", "лучше чём", wa.YO_FOR_E),
            ("ещё раз", "еще раз", wa.YO_LOST),
            ("две версии", "две версий", wa.I_SHORT_I),
            ("это смещение", "это смешение", wa.SHA_SHCHA),
            ("ПАРАМЕТР есть", "nPMETP есть", wa.ALL_CAPS),
            ("и т. д.", "и T. д.", wa.ABBREVIATION),
            ("-- Г. Малкин", "-- r. Малкин", wa.INITIAL),
            ("А вот", " вот", wa.VANISHED),
            ("уж, ж, да", "уж, Аж, да", wa.BESIDE),
            ("пакет1 есть", "nakeT1 есть", wa.DIGITS),
            ("--file=ФАЙЛ есть", "--file=ФAЙЛ есть", wa.CHUNK),
            ("<файл> есть", "<фaйл> есть", wa.JOINED),
            ("это дом", "это дым", wa.OTHER),
        ]
        for original, decoded, kind in rows:
            with self.subTest(original=original):
                self.assertEqual(only_error(original, decoded)[0], kind)

    def test_the_example_shows_what_the_word_became(self):
        self.assertEqual(only_error("и/или", "и/uJIu"), (wa.CHUNK, "или→uJIu"))
        self.assertEqual(only_error("нет сокета.", "нет cokeTа."), (wa.UNKNOWN_LEFT,
                                                                    "сокета→cokeTа"))
        self.assertEqual(only_error("уж, ж, да", "уж, Аж, да"), (wa.BESIDE, "ж,→Аж,"))


if __name__ == "__main__":
    unittest.main()
