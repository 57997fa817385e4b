# Test data folders are built into the test programs: the sandbox cannot reach the
# source tree. sweepora_embed_folder(target function folder) adds a source defining
#   std::vector<std::pair<std::string, std::string>> sweepora::test::<function>()
# that gives each file below `folder` as (relative path with backslashes, bytes).
function(sweepora_embed_folder target function folder)
  file(GLOB_RECURSE files LIST_DIRECTORIES false CONFIGURE_DEPENDS "${folder}/*")
  list(FILTER files EXCLUDE REGEX "/\\.[^/]*$") # .gitattributes and the like
  list(SORT files)
  set(out "${CMAKE_CURRENT_BINARY_DIR}/${function}.cpp")
  set(text "#include <string>\n#include <utility>\n#include <vector>\nnamespace sweepora::test {\n")
  string(APPEND text "std::vector<std::pair<std::string, std::string>> ${function}()\n{\n    return {\n")
  foreach(file IN LISTS files)
    file(RELATIVE_PATH name "${folder}" "${file}")
    string(REPLACE "/" "\\\\" name "${name}")
    file(SIZE "${file}" size)
    file(READ "${file}" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" bytes "${hex}")
    string(APPEND text "        {\"${name}\", std::string(\"${bytes}\", ${size})},\n")
  endforeach()
  string(APPEND text "    };\n}\n} // namespace sweepora::test\n")
  file(CONFIGURE OUTPUT "${out}" CONTENT "${text}" @ONLY)
  target_sources(${target} PRIVATE "${out}")
endfunction()
