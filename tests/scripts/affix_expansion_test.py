"""The expansion of a suffix-only Hunspell dictionary into all its word forms."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "scripts"))
from russian_text import affix_expansion  # noqa: E402

AFF = """SET UTF-8

SFX L Y 4
SFX L   ться лся          [^сз]ться
SFX L   сть  ла           [^ч].сть
SFX L   есть ла           честь
SFX L   0    ми           .
"""


class Expansion(unittest.TestCase):
    def expand(self, dic: str, aff: str = AFF) -> list[str]:
        with tempfile.TemporaryDirectory() as folder:
            paths = [os.path.join(folder, name) for name in ("t.dic", "t.aff")]
            for path, text in zip(paths, (dic, aff)):
                with open(path, "w", encoding="utf-8") as f:
                    f.write(text)
            return affix_expansion.expand(*paths)

    def test_conditions_compare_letters_not_bytes(self):
        rows = [
            ("являться/L", ["являться", "являлся", "являтьсями"]),
            ("нестись/L", ["нестись", "нестисьми"]),
            ("класть/L", ["класть", "клала", "кластьми"]),
            ("учесть/L", ["учесть", "учла", "учестьми"]),
            ("сокет", ["сокет"]),
        ]
        for stem, forms in rows:
            with self.subTest(stem=stem):
                self.assertEqual(self.expand(f"1\n{stem}\n"), forms)

    def test_prefix_rules_are_refused(self):
        with self.assertRaises(affix_expansion.Unsupported):
            self.expand("1\nдом/P\n", AFF + "PFX P Y 1\nPFX P 0 при .\n")


if __name__ == "__main__":
    unittest.main()
