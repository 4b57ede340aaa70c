# Writes OUTPUT, a C++ source that holds the text of INPUT as the string constant NAME, so that
# the decoder has its data without finding a file at run time.
# Run at build time: cmake -DOUTPUT=... -DINPUT=... -DNAME=... -P embed_text.cmake
set(delimiter "lettermorph")
file(READ "${INPUT}" text)
string(FIND "${text}" ")${delimiter}\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} holds the text that ends the string constant")
endif()
get_filename_component(shown "${INPUT}" NAME)
file(WRITE "${OUTPUT}.new"
     "// Made by embed_text.cmake from ${shown}; not to be edited.\n#include <string_view>\n\n"
     "namespace lettermorph {\n\nextern const std::string_view ${NAME};\n"
     "const std::string_view ${NAME} = R\"${delimiter}(${text})${delimiter}\";\n\n"
     "}  // namespace lettermorph\n")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
