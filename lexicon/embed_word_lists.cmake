# Writes OUTPUT, a C++ source that holds the frequency list and the English dictionary's two
# files as string constants, so that the program decodes without finding them at run time,
# and a digest of the three that names them in the word index's key without hashing them at start.
# Run at build time: cmake -DOUTPUT=... -DFREQUENCIES=... -DENGLISH=<base without .aff/.dic> -P
set(delimiter "lettermorph")
set(source "// Made by embed_word_lists.cmake from the files named below; not to be edited.\n")
string(APPEND source "#include \"embedded_word_lists.h\"\n\nnamespace lettermorph {\n")
set(digests "")
foreach(pair "kWordFrequencies;${FREQUENCIES}" "kEnglishAffixes;${ENGLISH}.aff"
             "kEnglishWords;${ENGLISH}.dic")
  list(GET pair 0 name)
  list(GET pair 1 file)
  file(READ "${file}" text)
  file(SHA256 "${file}" digest)
  string(APPEND digests "${digest}")
  string(FIND "${text}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} holds the text that ends the string constant")
  endif()
  get_filename_component(shown "${file}" NAME)
  string(APPEND source "\n// ${shown}\nconst std::string_view ${name} = R\"${delimiter}(${text})${delimiter}\";\n")
endforeach()
string(SHA256 digest "${digests}")
string(APPEND source "\nconst std::string_view kWordListsDigest = \"${digest}\";\n")
string(APPEND source "\n}  // namespace lettermorph\n")
file(WRITE "${OUTPUT}.new" "${source}")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
