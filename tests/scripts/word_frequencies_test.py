"""The names the frequency list marks: forms that the sources capitalise where no sentence
starts, and write small no more often, or never."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "scripts"))
import word_frequencies  # noqa: E402


class Names(unittest.TestCase):
    def names(self, text: str) -> dict[str, str]:
        counts = word_frequencies.Counts()
        counts.add(text)
        return counts.names()

    def test_a_capital_after_a_small_word_marks_a_name(self):
        self.assertEqual(self.names("кривая Безье и кривые Безье.\nтест Фишера"), {"безье": "name"})

    def test_a_name_never_written_small_and_seen_thrice_is_always_one(self):
        self.assertEqual(self.names("и Иван, и Иван и Иван; тип Насквозь и тип Насквозь"),
                         {"иван": "name-always", "насквозь": "name"})
        self.assertEqual(self.names("и Иван, и Иван и Иван, а иван"), {"иван": "name"})

    def test_capitals_where_a_sentence_may_start_say_nothing(self):
        # After a full stop, at a line's start, after a capitalised word or across a line.
        self.assertEqual(
            self.names("Готово. Безье. Безье\nБезье Безье Безье\nи\nБезье и\nБезье"), {})

    def test_a_word_written_small_as_often_is_no_name(self):
        self.assertEqual(self.names("значение Истина и Истина, или истина и истина"), {})

    def test_words_in_capitals_are_no_names(self):
        self.assertEqual(self.names("кнопка ИСТИНА и ИСТИНА"), {})


if __name__ == "__main__":
    unittest.main()
