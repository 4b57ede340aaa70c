"""The text taken from Debian's packages: what each reader keeps, and that held-out text never
reaches the word frequencies."""
import collections
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "scripts"))
from russian_text import collect, extract, sources  # noqa: E402


def written(text: str, suffix: str) -> str:
    f = tempfile.NamedTemporaryFile("w", encoding="utf-8", suffix=suffix, delete=False)
    with f:
        f.write(text)
    return f.name


class Readers(unittest.TestCase):
    def test_catalogue_keeps_every_translation_and_drops_the_header(self):
        po = r'''msgid ""
msgstr ""
"Content-Type: text/plain; charset=UTF-8\n"

msgid "Open"
msgstr "Открыть"

msgid "cannot read %s"
msgstr ""
"не удаётся прочитать \"%s\":\n"
"\tнет доступа"

msgid "one file"
msgid_plural "%d files"
msgstr[0] "%d файл"
msgstr[1] "%d файла"
'''
        self.assertEqual(extract.translations(po), 'Открыть\nне удаётся прочитать "%s":\n'
                                                   '\tнет доступа\n%d файл\n%d файла\n')

    def test_help_page_as_a_browser_shows_it(self):
        page = written('<html><head><title>Окно</title><style>p {}</style></head><body>'
                       '<h1>Окно</h1><p>Первый   абзац,\nв две строки &amp; ещё.</p>'
                       '<script>var x;</script><pre>cd /tmp\n  ls -l</pre></body></html>', ".html")
        self.addCleanup(os.remove, page)
        self.assertEqual(extract.html_text(page),
                         "Окно\nПервый абзац, в две строки & ещё.\ncd /tmp\n  ls -l\n")

    def test_fortunes_are_parted_by_blank_lines(self):
        path = written("Раз.\n\t\t-- Автор\n%\nДва.\n%\n", "")
        self.addCleanup(os.remove, path)
        self.assertEqual(extract.fortune_text(path), "Раз.\n\t\t-- Автор\n\nДва.\n")


class Collecting(unittest.TestCase):
    def test_frequencies_never_open_a_held_out_or_development_only_package(self):
        empty = tempfile.TemporaryDirectory()
        self.addCleanup(empty.cleanup)

        class Cache:
            asked = set()

            def unpacked(self, package, members):
                self.asked.add(package)
                return empty.name

        collect.collect(Cache(), {sources.FREQUENCIES})
        held_out = {s.package for s in sources.SOURCES if s.held_out}
        development_only = {s.package for s in sources.SOURCES if s.development_sample}
        self.assertTrue(Cache.asked)
        self.assertTrue(development_only)
        self.assertEqual(Cache.asked & (held_out | development_only), set())

    def test_a_development_only_source_samples_development_and_nothing_else(self):
        source = next(s for s in sources.SOURCES if s.development_sample)
        roles = collections.Counter(source.role(f"page{i}.html") for i in range(640))
        self.assertEqual(set(roles), {sources.DEVELOPMENT, sources.UNUSED})
        self.assertLess(roles[sources.DEVELOPMENT], 640 / 8)

    def test_a_recurring_long_line_is_kept_once(self):
        credit = "Русский перевод этой страницы был сделан"
        texts = [("a", f"ОПИСАНИЕ\n{credit}\nтекст"), ("b", f"ОПИСАНИЕ\n  {credit}\nещё")]
        self.assertEqual(collect._without_repeated_lines(texts),
                         [("a", f"ОПИСАНИЕ\n{credit}\nтекст"), ("b", "ОПИСАНИЕ\nещё")])


if __name__ == "__main__":
    unittest.main()
