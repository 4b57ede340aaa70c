"""What the twin table counts: which twins there are, their kinds, and the word before."""
import collections
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "scripts"))
import twin_contexts  # noqa: E402

# The sources' forms, and the dictionary's besides: "копие" only there.
COUNTED = {"версии", "версий", "версия", "сообщении", "сообщений", "сообщение",
           "комментарии", "комментарий", "комментарием", "случаи", "случай", "копии", "копий",
           "свои", "свой", "при", "нескольких", "в"}
KNOWN = COUNTED | {"копие", "синий"}


class Twins(unittest.TestCase):
    def test_kinds(self):
        kinds = {form: twin_contexts.twin_kind(form, KNOWN, COUNTED)
                 for form in ("версий", "сообщении", "комментарии", "случай", "копии")}
        self.assertEqual(kinds, {"версий": "ия", "сообщении": "ие", "комментарии": "ий",
                                 "случай": "ай", "копии": "ия"})

    def test_no_twin(self):
        # Too short, no other form, no "-ии" or "-ий".
        for form in ("свои", "синий", "нескольких"):
            self.assertIsNone(twin_contexts.twin_kind(form, KNOWN, COUNTED), form)

    def test_the_word_right_before_counts_across_a_line_only(self):
        counts = twin_contexts.count(
            [("", "при версии, нескольких\nверсий; (версий) в сообщении")], KNOWN, COUNTED)
        seen = {key: n for key, n in counts.items() if key[1] != twin_contexts.ALL}
        self.assertEqual(seen, collections.Counter({
            ("ия", "при", "и"): 1, ("ия", "-ри", "и"): 1, ("ия", "-и", "и"): 1,
            ("ия", "нескольких", "й"): 1, ("ия", "-ких", "й"): 1, ("ия", "-их", "й"): 1,
            ("ия", "-х", "й"): 1, ("ия", ".", "й"): 1, ("ие", "в", "и"): 1}))


if __name__ == "__main__":
    unittest.main()
