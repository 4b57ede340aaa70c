#include <gtest/gtest.h>

#include "decode/decode_text.h"
#include "decode/utf8_stream_decoder.h"
#include "word_list.h"

namespace lettermorph {
namespace {

// Real words of the kinds that real text gets wrong, each read back under the design set.
// "версии" and "версий" look alike; the frequency list knows which is commoner, knows
// the letters that abbreviations shorten words to, and marks the names it capitalises.
const WordList kWords = {
    {u"параметры",     u"имя",         u"файла",       u"и",
     u"будет",         u"из",          u"версии",      u"версий",
     u"параметр",      u"в",           u"при",         u"новых",
     u"несколько",     u"одинарная",   u"линия",       u"вниз",
     u"вправо",        u"слово",       u"Пушкин",      u"выберите",
     u"формат",        u"символы",     u"эффекты",     u"вкладка",
     u"шрифт",         u"нажмите",     u"кнопку",      u"вставить",
     u"нагрузка",      u"создать",     u"вывести",     u"версию",
     u"сценарий",      u"модуль",      u"данные",      u"категория",
     u"безвредность",  u"ошибка",      u"адреса",      u"неверный",
     u"аргумент",      u"углу",        u"кривая",      u"истина",
     u"определение",   u"определении", u"определений", u"копия",
     u"копии",         u"копий",       u"копие",       u"сообщение",
     u"сообщении",     u"сообщений",   u"эти",         u"критерий",
     u"критерии",      u"другие",      u"других",      u"комментарий",
     u"комментарии",   u"много",       u"функции",     u"функций",
     u"информации",    u"информаций",  u"новом",       u"модули",
     u"идентификатор", u"на",          u"случай",      u"случаи",
     u"одна",          u"для",         u"нового",      u"последнего",
     u"направление",   u"коды",        u"кодов",       u"кодами",
     u"система",       u"контроля",    u"доступны",    u"набора",
     u"группе",        u"перечень"},
    {{u"версии", 50},      {u"версий", 10},      {u"изменении", 57},   {u"изменений", 295},
     {u"т", 440},          {u"д", 149},          {u"п", 120},          {u"л", 40},
     {u"н", 90},           {u"г", 60},           {u"с", 70},           {u"м", 30},
     {u"файл", 3214},      {u"тип", 1753},       {u"то", 3090},        {u"фйл", 2},
     {u"цп", 40},          {u"кб", 30},          {u"пушкин", 40},      {u"определение", 300},
     {u"определении", 54}, {u"определений", 17}, {u"копии", 30},       {u"копий", 10},
     {u"сообщение", 296},  {u"сообщений", 295},  {u"сообщении", 23},   {u"критерии", 40},
     {u"критерий", 20},    {u"комментарии", 67}, {u"комментарий", 87}, {u"функции", 1618},
     {u"функций", 409},    {u"информации", 362}, {u"свой", 73},        {u"свои", 44},
     {u"мой", 10},         {u"мои", 11},         {u"случай", 34},      {u"случаи", 17},
     {u"по", 4000},        {u"до", 900}},
    {"come", "on", "combo", "box", "my", "form", "he", "to", "format", "lang", "tun", "fails", "by",
     "no", "go", "do", "longer", "works", "build"},
    {{u"безье", 19}, {u"истина", 52}}};

struct Case {
  const char* name;
  std::u16string_view lookAlike;
  std::u16string_view russian;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class ErrorClasses : public testing::TestWithParam<Case> {};

TEST_P(ErrorClasses, ReadBackAsWritten) {
  const ReplacementTable design;
  EXPECT_EQ(DecodeText(GetParam().lookAlike, design, kWords.For(design)), GetParam().russian);
}

INSTANTIATE_TEST_SUITE_P(
    RealWords, ErrorClasses,
    testing::Values(
        // A line that opens a list after a colon starts with a capital.
        Case{"line_start_of_a_list", u"nаpаmeTpbI:\n  um9I FаuJIа", u"Параметры:\n  Имя файла"},
        // So does a line after a heading, a short line that no comma ends, unless it opens
        // with a bracket, which goes on with the sentence.
        Case{"line_after_a_heading", u"nаpаmeTpbI\nu3 Bepcuu", u"Параметры\nИз версии"},
        Case{"line_opening_with_a_bracket", u"nаpаmeTpbI\n(u3 Bepcuu)", u"Параметры\n(из версии)"},
        Case{"line_opening_with_a_square_bracket", u"nаpаmeTpbI\n[u3 Bepcuu]",
             u"Параметры\n[из версии]"},
        Case{"line_opening_with_a_brace", u"nаpаmeTpbI\n{u3 Bepcuu}", u"Параметры\n{из версии}"},
        // Any opening quote after a colon opens quoted speech, which starts with a capital.
        Case{"speech_in_double_quotes", u"u: \"6ygeT\"", u"И: \"Будет\""},
        Case{"speech_in_single_quotes", u"u: '6ygeT'", u"И: 'Будет'"},
        Case{"speech_in_low_quotes", u"u: \u201E6ygeT\u201C", u"И: \u201EБудет\u201C"},
        Case{"speech_in_high_quotes", u"u: \u201C6ygeT\u201D", u"И: \u201CБудет\u201D"},
        // Nor does a word in angle brackets, which stands for what is to be filled in.
        Case{"placeholder_in_angle_brackets", u"um9I:\n<um9I FаuJIа>\nTun: «<Bepcu9I»",
             u"Имя:\n<имя файла>\nТип: «<версия»"},
        // Nor does a word beside "|", "{" or "}" where no "}|{" stands.
        Case{"word_beside_replacement_characters", u"|FILE|BbIBecTu {BbIBecTu}cJIoBo",
             u"|FILE|вывести {вывести}слово"},
        // An opening bracket and an abbreviation's full stop start no sentence.
        Case{"after_a_bracket", u"6ygeT (6ygeT)", u"Будет (будет)"},
        Case{"after_an_abbreviation", u"u T. g. 6ygeT", u"И т. д. будет"},
        // A longer word that starts with an abbreviation's letters ends its sentence.
        Case{"word_longer_than_an_abbreviation", u"u HаnpаBJIeHue. 6ygeT", u"И направление. Будет"},
        // Nor is the ending after a number's hyphen capitalised where the number starts one.
        Case{"ending_after_a_number", u"16-6uTHbIe gаHHbIe. 2-9I konu9I",
             u"16-битные данные. 2-я копия"},
        // Single letters that are Russian words, and no English ones.
        Case{"single_letter_words", u"u B 6ygeT", u"И в будет"},
        // The commoner of two known words; a word none knows, by the fixed preference, when a
        // capital inside it shows that it is no English word.
        Case{"i_or_short_i_by_frequency", u"u3 Bepcuu", u"Из версии"},
        Case{"unknown_word_with_a_capital_inside", u"u TpeHgа", u"И тренда"},
        // ... or a digit before a small letter, or an ending no English word has; digits in
        // runs, at the end or before "x" are code.
        Case{"unknown_word_with_a_digit_inside", u"u npu6op", u"И прибор"},
        Case{"unknown_word_with_a_russian_ending", u"u pegkou cepomy", u"И редкой серому"},
        Case{"digits_of_code", u"u 64kb u 4xxx u 3ac4e u mp3", u"И 64kb и 4xxx и 3ac4e и mp3"},
        // A look-alike digit beside a number is one of its digits: "__u32" is a type, not
        // "__из" and 2.
        Case{"look_alike_digit_before_a_number", u"u __u32 u m68k", u"И __u32 и m68k"},
        // An English word with a capital inside a sentence is a Russian word's small
        // letters, unless it goes on English words in Title Case.
        Case{"capital_inside_a_sentence", u"0x%lx: \"%s\" Tun = %ld", u"0x%lx: \"%s\" тип = %ld"},
        Case{"title_case_english", u"(Fails To Build)", u"(Fails To Build)"},
        // English words run together stay; short capitalised parts are Russian look-alikes.
        Case{"english_compounds", u"u ComboBox u myForm", u"И ComboBox и myForm"},
        Case{"short_parts_are_no_compound", u"u HeTo", u"И нето"},
        // The word before settles "-ии" and "-ий" against the frequencies, but only a word
        // right before: a comma between them says nothing.
        Case{"i_after_a_preposition", u"6ygeT npu u3meHeHuu", u"Будет при изменении"},
        Case{"short_i_after_a_plural", u"HoBbIx Bepcuu, HeckoJIbko Bepcuu",
             u"Новых версий, несколько версий"},
        Case{"nothing_asked_across_a_comma", u"npu, u3meHeHuu", u"При, изменений"},
        // A noun in "-ие" has "-ии" only in a prepositional phrase, where a preposition asks
        // for it; a feminine noun ("копия") is no such noun, though a rare word shares its
        // letters ("копие").
        Case{"neuter_noun_outside_a_preposition", u"6ygeT onpegeJIeHuu u npu onpegeJIeHuu",
             u"Будет определений и при определении"},
        Case{"feminine_noun_is_not_neuter", u"6ygeT konuu", u"Будет копии"},
        // An adjective agrees: in the prepositional or the plural it asks for "-ии", in the
        // nominative singular for "-ий".
        Case{"ending_agrees_with_an_adjective",
             u"B HoBom coo6IILeHuu, eTu kommeHTаpuu, gpyrue kommeHTаpuu, HeBepHbIu kpuTepuu",
             u"В новом сообщении, эти комментарии, другие комментарии, неверный критерий"},
        // "из" after "одна" and its other forms asks for the plural.
        Case{"one_of_many", u"OgHа u3 FyHkILuu", u"Одна из функций"},
        // Nouns in "-ай" agree as those in "-ий" do, but a preposition asks nothing of them.
        Case{"twins_in_ai", u"6ygeT Hа cJIy4аu u eTu cJIy4аu", u"Будет на случай и эти случаи"},
        // Where the rules above say nothing, what text counts after the word before decides,
        // against the frequencies: "контроля версий".
        Case{"twin_after_a_counted_word", u"CucTemа koHTpoJI9I Bepcuu", u"Система контроля версий"},
        // A word of quantity asks for "-ий" of a noun the frequency list counts in it, and
        // leaves a mass noun singular.
        Case{"quantity_of_counted_nouns", u"MHoro FyHkILuu u mHoro uHFopmаILuu",
             u"Много функций и много информации"},
        // So does a plural noun, which its instrumental shows ("коды": "кодами"), but not a
        // short adjective.
        Case{"plural_noun_before_counted_nouns",
             u"6ygeT kogbI FyHkILuu, kogoB FyHkILuu, gocTynHbI FyHkILuu, kogbI uHFopmаILuu",
             u"Будет коды функций, кодов функций, доступны функции, коды информации"},
        // So does a noun that names a collection.
        Case{"collection_of_counted_nouns",
             u"6ygeT Hа6opа FyHkILuu, rpynne FyHkILuu, nepe4eHb uHFopmаILuu",
             u"Будет набора функций, группе функций, перечень информации"},
        // A possessive agrees in number with the word after it.
        Case{"possessive_agrees", u"CBou mogyJIu u mou FаuJI", u"Свои модули и мой файл"},
        // A word none knows that is a prefix and a known word reads as the two do, with no
        // "й" after the prefix's vowel.
        Case{"prefix_before_a_known_word", u"u FoTougeHTuFukаTop", u"И фотоидентификатор"},
        // Every capital "А" that vanished from a word in capitals comes back.
        Case{"capitals_with_two_vanished_a", u"u nPMETP", u"И ПАРАМЕТР"},
        // A run of capitals goes on through words whose look-alikes show no case, a
        // one-letter word included.
        Case{"run_of_capitals", u"ODuHPH9I JIuHu9I BnPBO u BHu3", u"ОДИНАРНАЯ ЛИНИЯ ВПРАВО И ВНИЗ"},
        // A word in capitals after a preposition that takes the genitive gets its final "А"
        // back; elsewhere it stays in the commoner nominative.
        Case{"genitive_in_capitals", u"6ygeT u3 FuJI, FuJI", u"Будет из ФАЙЛА, ФАЙЛ"},
        // So does one after an adjective in the genitive, whether it ends "-ого" or "-его".
        Case{"genitive_after_an_adjective", u"HoBoro FuJI. nocJIegHero FuJI",
             u"Нового ФАЙЛА. Последнего ФАЙЛА"},
        // A common word with its "А" put back beats a slip the frequencies met twice.
        Case{"vanished_a_over_a_rare_slip", u"FuJI", u"ФАЙЛ"},
        // Initials: a letter with a full stop inside a sentence that no abbreviation ends
        // on, one after a name or another initial, and letters run together unless they
        // shorten words.
        Case{"initials_before_a_name", u"6ygeT B. u. nyIIIkuH", u"Будет В. И. Пушкин"},
        Case{"initials_after_a_name", u"6ygeT nyIIIkuH T. n.", u"Будет Пушкин Т. П."},
        Case{"initials_run_together", u"6ygeT JI.H. nyIIIkuH", u"Будет Л.Н. Пушкин"},
        Case{"initials_known_by_the_next", u"6ygeT H. B. nyIIIkuH u C. M. nyIIIkuH",
             u"Будет Н. В. Пушкин и С. М. Пушкин"},
        // The design set drops a capital "А": its initial is a full stop alone.
        Case{"vanished_initials", u"6ygeT . C. nyIIIkuH u nyIIIkuH C. .",
             u"Будет А. С. Пушкин и Пушкин С. А."},
        Case{"full_stop_alone_between_words", u"6ygeT . 6ygeT", u"Будет . Будет"},
        Case{"abbreviations_are_no_initials", u"6ygeT T. n. u T.g. 6ygeT",
             u"Будет т. п. и т.д. будет"},
        Case{"abbreviation_before_a_name", u"6ygeT r. nyIIIkuH", u"Будет г. Пушкин"},
        // A letter that abbreviations end on is an initial before a name, unless it shortens
        // a word that stands before names ("г.", "т.").
        Case{"letter_before_a_name", u"6ygeT H. nyIIIkuH u T. nyIIIkuH",
             u"Будет Н. Пушкин и т. Пушкин"},
        // Latin letters in Title Case read as a surname after initials, and make them Russian
        // where no Russian word stands beside them; after an English word both stay, even
        // before a Russian one.
        Case{"surname_after_initials", u"H. C. Pepux", u"Н. С. Рерих"},
        Case{"surname_after_a_letter", u"6ygeT H. Pepux", u"Будет Н. Рерих"},
        Case{"english_initials_stay", u"u by H. H. Pepux u 6ygeT", u"И by H. H. Pepux и будет"},
        // A word that may be English looks past names and code beside it ("GNU", "URL",
        // "glibc 2.19") to the prose around them; with only code beside it, or English prose
        // past the code, it stays.
        Case{"past_code_to_russian", u"um9I F\u0430uJI\u0430 OCSP no URL; go glibc 2.19, u 6ygeT",
             u"Имя файла OCSP по URL; до glibc 2.19, и будет"},
        Case{"code_alone_or_before_english", u"GNU no URL. um9I GNU no longer works",
             u"GNU no URL. Имя GNU no longer works"},
        // Capitals and letters alone are as likely code themselves: only a Russian word right
        // beside them makes them Russian.
        Case{"acronym_beside_code", u"um9I OpenPGP (DO 0x93)", u"Имя OpenPGP (DO 0x93)"},
        // A dash after a space starts an option, which is code; its value after "=" is read
        // as words, unless it is a letter alone.
        // A Russian word joined by a hyphen to code names what the code is; inside an
        // option's name it is code itself.
        Case{"russian_word_after_a_hyphen", u"ABI-Bepcuu u -o-Bepcuu", u"ABI-версии и -o-Bepcuu"},
        Case{"options_and_their_values", u"u -o u --format=CJIOBO --lang=B",
             u"И -o и --format=СЛОВО --lang=B"},
        // Help names the items of a menu path with capitals: the first takes one when the
        // item after the dash shows it, on the same line. A control's noun stays small
        // between names, and the control's own name after it takes a capital.
        Case{"first_item_of_a_menu_path", u"BbI6epuTe FopmаT - CumBoJIbI",
             u"Выберите Формат - Символы"},
        Case{"no_menu_path_across_a_line", u"BbI6epuTe FopmаT\n- CumBoJIbI",
             u"Выберите формат\n- Символы"},
        // After a command to choose, the items take capitals though they show none; after an
        // item that shows one, the items after it take theirs.
        Case{"menu_path_after_a_command", u"BbI6epuTe FopmаT - BcTаBuTb",
             u"Выберите Формат - Вставить"},
        Case{"menu_path_goes_on", u"BbI6epuTe FopmаT - CumBoJIbI - BcTаBuTb - BkJIаgkа IIIpuFT",
             u"Выберите Формат - Символы - Вставить - вкладка Шрифт"},
        Case{"control_inside_a_menu_path", u"FopmаT - CumBoJIbI - EFFekTbI - BkJIаgkа IIIpuFT",
             u"Формат - Символы - Эффекты - вкладка Шрифт"},
        Case{"name_after_a_control", u"Hа}|{muTe kHonky BcTаBuTb", u"Нажмите кнопку Вставить"},
        Case{"no_preposition_as_a_control_name", u"Hа}|{muTe kHonky B yrJIy u kHonky Hа yrJIy",
             u"Нажмите кнопку в углу и кнопку на углу"},
        // Lines at one indent without a dash share the case their first words show, however
        // the line before ends: one message a line, all small. An item indented under a
        // colon keeps its own.
        Case{"plain_lines_share_their_case",
             u"oIIIu6kа Bepcuu\noIIIu6kа Bepcuu\noIIIu6kа (Bepcuu)\nHeBepHbIu аprymeHT",
             u"ошибка версии\nошибка версии\nошибка (версии)\nневерный аргумент"},
        Case{"item_apart_from_plain_lines",
             u"oIIIu6kа\noIIIu6kа\noIIIu6kа\noIIIu6kа\noIIIu6kа\noIIIu6kа:\n  HeBepHbIu",
             u"ошибка\nошибка\nошибка\nошибка\nошибка\nошибка:\n  Неверный"},
        // Descriptions after a wide gap follow the case the column's own words show.
        Case{"column_after_a_wide_gap", u"-o      Co3gаTb FаuJI\n-v      BbIBecTu BepcuI0",
             u"-o      Создать файл\n-v      Вывести версию"},
        // An option's description on the lines under it follows the case of the text's other
        // descriptions, not that of lines indented further, which mostly start items.
        Case{"description_under_an_option", u"-o\n    co3gаTb FаuJI\n-n\n    BbIBecTu BepcuI0",
             u"-o\n    создать файл\n-n\n    вывести версию"},
        // One after a wide gap on the option's line follows them too, not the columns of
        // tables.
        Case{"description_beside_an_option", u"-o\n    Co3gаTb FаuJI\n-n      BbIBecTu BepcuI0",
             u"-o\n    Создать файл\n-n      Вывести версию"},
        // Lines indented to the column of the line before go on with its sentence, unless a
        // colon ended it, before a list.
        Case{"lines_under_a_column",
             u"-o      co3gаTb FаuJI gJI9I\n        Bepcuu u\n        Bepcuu",
             u"-o      создать файл для\n        версии и\n        версии"},
        Case{"list_under_a_column", u"-o      Co3gаTb FаuJI:\n        Bepcuu",
             u"-o      Создать файл:\n        Версии"},
        // A format's conversions are code, whatever Russian letters their Latin ones look
        // like.
        Case{"format_conversions", u"Bepcuu %u u %c, %lu", u"Версии %u и %c, %lu"},
        // After a label of code the case is learned apart from a Russian word's colon.
        Case{"colon_after_a_label",
             u"OIIIu6kа: oIIIu6kа. OIIIu6kа: oIIIu6kа. OIIIu6kа: oIIIu6kа. %s: OIIIu6kа. "
             u"%s: OIIIu6kа. %s: HeBepHbIu аprymeHT.",
             u"Ошибка: ошибка. Ошибка: ошибка. Ошибка: ошибка. %s: Ошибка. %s: Ошибка. "
             u"%s: Неверный аргумент."},
        // Quotes learn their case apart from brackets: they open names as often as not.
        Case{"quotes_apart_from_brackets",
             u"6ygeT (cumBoJIbI) (cumBoJIbI) «CumBoJIbI» «CumBoJIbI» «FopmаT»",
             u"Будет (символы) (символы) «Символы» «Символы» «Формат»"},
        // Each column of a table keeps its own case: names beside descriptions.
        Case{"table_columns",
             u"│ cosh() │ cILeHаpuu │\n│ cosh() │ mogyJIb │\n│ cosh() │ gаHHbIe │\n"
             u"│ cosh() │ 1 │ KаTeropu9I │\n│ cosh() │ 1 │ 6e3BpegHocTb │",
             u"│ cosh() │ сценарий │\n│ cosh() │ модуль │\n│ cosh() │ данные │\n"
             u"│ cosh() │ 1 │ Категория │\n│ cosh() │ 1 │ Безвредность │"},
        // Capitals mixed with small look-alikes that capitals share are a word in capitals;
        // English capitals with digits or small letters of their own stay.
        Case{"capitals_with_shared_small_letters", u"u MP3 u CPUs u OKPBHu3",
             u"И MP3 и CPUs и ОКРВНИЗ"},
        // So is a word in capitals that holds a look-alike English words hardly ever hold
        // ("JI", "III"); Roman numerals, English capitals that hold "IL" and short ones stay.
        Case{"capitals_no_english_word_has", u"6ygeT KYJIEIIIOB. 6ygeT XIII u FILETYPE u JIT",
             u"Будет КУЛЕШОВ. Будет XIII и FILETYPE и JIT"},
        // Such a word is no English word among lines of code either.
        Case{"capitals_among_code", u"CONVERT_OOO\nKOPPEJI\nCOS", u"CONVERT_OOO\nКОРРЕЛ\nCOS"},
        // So does a description after a term in Latin capitals that starts its line.
        Case{"description_after_a_term", u"EFAULT OIIIu6kа аgpecа.\nEINVAL HeBepHbIu аprymeHT.",
             u"EFAULT Ошибка адреса.\nEINVAL Неверный аргумент."},
        // A term that starts a hard-wrapped line goes on with the sentence of the line before.
        Case{"term_inside_a_wrapped_sentence",
             u"EFAULT OIIIu6kа аgpecа.\n6ygeT HeBepHbIu аprymeHT u Bepcuu gJI9I HoBbIx\n"
             u"EINVAL Bepcuu",
             u"EFAULT Ошибка адреса.\nБудет неверный аргумент и версии для новых\nEINVAL версии"},
        // A bracket after the term is an aside, and "и" or "или" joins the term to another:
        // both small, as inside a sentence.
        Case{"bracket_after_a_term", u"EFAULT OIIIu6kа аgpecа.\nEINVAL (u3 Bepcuu)",
             u"EFAULT Ошибка адреса.\nEINVAL (из версии)"},
        // The description starts where that aside's own bracket closes, not at a call's
        // bracket inside it.
        Case{"description_after_a_terms_aside",
             u"EFAULT OIIIu6kа аgpecа.\nEINVAL (FUTEX(2) u3 Bepcuu) HeBepHbIu аprymeHT.",
             u"EFAULT Ошибка адреса.\nEINVAL (FUTEX(2) из версии) Неверный аргумент."},
        Case{"conjunction_after_a_term", u"EFAULT OIIIu6kа аgpecа.\nEIO u EFAULT",
             u"EFAULT Ошибка адреса.\nEIO и EFAULT"},
        // An address that starts a sentence starts it as a word would.
        Case{"word_after_an_address", u"nаpаmeTpbI. locks.txt u3 Bepcuu",
             u"Параметры. locks.txt из версии"},
        // Headings in capitals start their lines: a sentence that starts inside a line is
        // none, though the headings before taught sentence starts capitals.
        Case{"no_heading_inside_a_line", u"OIIIu6K\n\nOIIIu6K\n\nOIIIu6K\n\n6ygeT. DJI9I Bepcuu",
             u"ОШИБКА\n\nОШИБКА\n\nОШИБКА\n\nБудет. Для версии"},
        // A word with no vowel is an abbreviation in capitals where its look-alikes show no
        // case, and keeps the capital first that they show ("Кб").
        Case{"abbreviations_without_vowels", u"Hаrpy3kа 5 K6 u ILn", u"Нагрузка 5 Кб и ЦП"},
        // A name keeps its capital inside a line, whether the dictionary spells it so or only
        // the frequency list marks it; a common word of the dictionary that the list marks
        // as a name (menus capitalise "Истина") stays small.
        Case{"name_the_dictionary_capitalises", u"u nyIIIkuH", u"И Пушкин"},
        Case{"name_only_the_list_knows", u"KpuBа9I 6e3be", u"Кривая Безье"},
        Case{"common_word_the_list_marks", u"u ucTuHа u uCTuH", u"И истина и ИСТИНА"}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

// A text of lines repeated a number of times, in look-alikes and as it should decode.
struct RepeatedLines {
  void Add(std::u16string_view lookAlikeLine, std::u16string_view russianLine, int times) {
    for (int line = 0; line < times; ++line) {
      lookAlike += lookAlikeLine;
      russian += russianLine;
    }
  }
  std::u16string lookAlike;
  std::u16string russian;
};

// Line starts follow the last few lines: after eleven that start with a capital and six that
// start small, the next starts small.
TEST(ErrorClassesLayout, LineStartsFollowTheRecentLines) {
  const ReplacementTable design;
  RepeatedLines text;
  text.Add(u"OIIIu6kа\n", u"Ошибка\n", 11);
  text.Add(u"oIIIu6kа\n", u"ошибка\n", 6);
  EXPECT_EQ(DecodeText(text.lookAlike + u"HeBepHbIu", design, kWords.For(design)),
            text.russian + u"неверный");
}

// A list's line starts as the line before did, where that line's first word showed how,
// whatever most lines before did; a line after a long one of hard-wrapped prose does not.
TEST(ErrorClassesLayout, ListLinesFollowTheLineBefore) {
  const ReplacementTable design;
  const WordIndex* index = kWords.For(design);
  RepeatedLines capitals;
  capitals.Add(u"OIIIu6kа аgpecа\n", u"Ошибка адреса\n", 11);
  EXPECT_EQ(DecodeText(capitals.lookAlike + u"oIIIu6kа\nHeBepHbIu аprymeHT", design, index),
            capitals.russian + u"ошибка\nневерный аргумент");
  RepeatedLines small;
  small.Add(u"oIIIu6kа аgpecа\n", u"ошибка адреса\n", 11);
  EXPECT_EQ(DecodeText(small.lookAlike + u"OIIIu6kа\nHeBepHbIu аprymeHT", design, index),
            small.russian + u"Ошибка\nНеверный аргумент");
  RepeatedLines prose;
  prose.Add(u"oIIIu6kа аgpecа oIIIu6kа аgpecа oIIIu6kа аgpecа oIIIu6kа аgpecа\n",
            u"ошибка адреса ошибка адреса ошибка адреса ошибка адреса\n", 11);
  EXPECT_EQ(DecodeText(prose.lookAlike +
                           u"OIIIu6kа аgpecа oIIIu6kа аgpecа oIIIu6kа аgpecа oIIIu6kа аgpecа\n"
                           u"HeBepHbIu аprymeHT",
                       design, index),
            prose.russian +
                u"Ошибка адреса ошибка адреса ошибка адреса ошибка адреса\n"
                u"неверный аргумент");
}

// A line after a comma goes on with its sentence, in a text whose lines start with capitals.
TEST(ErrorClassesLayout, LineAfterACommaGoesOn) {
  const ReplacementTable design;
  RepeatedLines text;
  text.Add(u"OIIIu6kа аgpecа\n", u"Ошибка адреса\n", 11);
  EXPECT_EQ(DecodeText(text.lookAlike + u"OIIIu6kа аgpecа,\nHeBepHbIu аprymeHT", design,
                       kWords.For(design)),
            text.russian + u"Ошибка адреса,\nневерный аргумент");
}

// A text of one message a line shows its habit in lines that follow a full stop as well: after
// seven messages that start small, six of them sentences, the next starts small.
TEST(ErrorClassesLayout, MessagesEndingInFullStopsTeachLineStarts) {
  const ReplacementTable design;
  RepeatedLines text;
  text.Add(u"oIIIu6kа аgpecа.\n", u"ошибка адреса.\n", 6);
  EXPECT_EQ(DecodeText(text.lookAlike + u"oIIIu6kа аgpecа\nHeBepHbIu аprymeHT", design,
                       kWords.For(design)),
            text.russian + u"ошибка адреса\nневерный аргумент");
}

// So do messages after a label of code: after twenty that start small and eight that start
// with a capital, the next starts with a capital.
TEST(ErrorClassesLayout, MessagesAfterLabelsFollowTheRecentOnes) {
  const ReplacementTable design;
  RepeatedLines text;
  text.Add(u"%s: oIIIu6kа аgpecа\n", u"%s: ошибка адреса\n", 20);
  text.Add(u"%s: OIIIu6kа аgpecа\n", u"%s: Ошибка адреса\n", 8);
  EXPECT_EQ(DecodeText(text.lookAlike + u"%s: HeBepHbIu аprymeHT", design, kWords.For(design)),
            text.russian + u"%s: Неверный аргумент");
}

// Options described in sentences, which end in full stops, start with capitals: a description
// whose own first word shows no case teaches so by its full stop, and outweighs one described
// small among them.
TEST(ErrorClassesLayout, DescriptionsEndingInFullStops) {
  const ReplacementTable design;
  EXPECT_EQ(DecodeText(u"-a\n    Co3gаTb FаuJI.\n-b\n    BbIBecTu BepcuI0.\n-c\n    co3gаTb FаuJI\n"
                       u"-d\n    BbIBecTu BepcuI0.",
                       design, kWords.For(design)),
            u"-a\n    Создать файл.\n-b\n    Вывести версию.\n-c\n    создать файл\n"
            u"-d\n    Вывести версию.");
}

// A menu path's first item takes its capital however the text comes in pieces: the word
// waits in the output until the item after the dash shows it.
TEST(ErrorClassesPieces, MenuPathAcrossPieces) {
  const ReplacementTable design;
  Utf8StreamDecoder decoder(design, kWords.For(design));
  StringSink sink;
  for (const std::string_view piece : {"BbI6epuTe Fopm", "аT", " -", " CumB", "oJIbI"}) {
    ASSERT_TRUE(decoder.Decode(piece, sink));
  }
  ASSERT_TRUE(decoder.Finish(sink));
  EXPECT_EQ(sink.text, "Выберите Формат - Символы");
}

// A possessive that ends a piece waits in the output for the word that settles its number.
TEST(ErrorClassesPieces, PossessiveAcrossPieces) {
  const ReplacementTable design;
  Utf8StreamDecoder decoder(design, kWords.For(design));
  StringSink sink;
  for (const std::string_view piece : {"u cBou", " mogyJIu"}) {
    ASSERT_TRUE(decoder.Decode(piece, sink));
  }
  ASSERT_TRUE(decoder.Finish(sink));
  EXPECT_EQ(sink.text, "И свои модули");
}

// A wide gap that a piece boundary cuts is as wide as its spaces together: the description
// after it still starts a column.
TEST(ErrorClassesPieces, GapAcrossPieces) {
  const ReplacementTable design;
  Utf8StreamDecoder decoder(design, kWords.For(design));
  StringSink sink;
  for (const std::string_view piece : {"-o ", "  Co3gаTb FаuJI\n-v ", "  BbIBecTu BepcuI0"}) {
    ASSERT_TRUE(decoder.Decode(piece, sink));
  }
  ASSERT_TRUE(decoder.Finish(sink));
  EXPECT_EQ(sink.text, "-o   Создать файл\n-v   Вывести версию");
}

// Under the reset set "ш" and "щ" look alike: an unknown word's ending settles which.
TEST(ErrorClassesReset, ShchaByEnding) {
  ReplacementTable reset;
  reset.ApplyResetDefaults();
  EXPECT_EQ(DecodeText(u"pa36opwuKa u TeKywue, nywucTbIu", reset, kWords.For(reset)),
            u"разборщика и текущие, пушистый");
}

// Under the reset set "ц", "и" and "й" look alike: between a vowel and "и" it is the "ц" of
// "-ция" and "-ционный" in a word none knows, and so it is before "ы" ("Цыпкин", "улицы").
TEST(ErrorClassesReset, TseBeforeI) {
  ReplacementTable reset;
  reset.ApplyResetDefaults();
  EXPECT_EQ(DecodeText(u"u nceBgoonepauu9I nepcoHaJIu3auuoHHou", reset, kWords.For(reset)),
            u"И псевдооперация персонализационной");
  EXPECT_EQ(DecodeText(u"ubInKuH u yJIuubI", reset, kWords.For(reset)), u"Цыпкин и улицы");
}

}  // namespace
}  // namespace lettermorph
