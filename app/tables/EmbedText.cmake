# Turns one text file into a C++ source that returns its bytes.
# Usage: cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DFUNCTION=<name> -P EmbedText.cmake
# The text goes in unchanged (blanks inside fields matter), as a raw string.
foreach(var INPUT OUTPUT FUNCTION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "EmbedText.cmake: ${var} is not set")
  endif()
endforeach()

file(READ "${INPUT}" text)
string(FIND "${text}" ")tvl\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} contains the raw-string delimiter )tvl\"")
endif()

set(body "// Generated from ${INPUT}; edit that file, not this one.\n")
string(APPEND body "#include \"app/tables/EmbeddedTables.h\"\n\n")
string(APPEND body "namespace tables::embedded {\n\n")
string(APPEND body "std::string_view ${FUNCTION}() {\n")
string(APPEND body "  static constexpr char kText[] = R\"tvl(${text})tvl\";\n")
string(APPEND body "  return {kText, sizeof(kText) - 1};\n")
string(APPEND body "}\n\n}  // namespace tables::embedded\n")

# Rewrite only on change, so a touched but equal file rebuilds nothing.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
  if(old STREQUAL body)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${body}")
