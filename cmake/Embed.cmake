# Turns data files into byte arrays linked into the program, so that it needs no data files
# beside it. Each file is found at run time by its path relative to the repository root, for
# example "Components/SGlassButton/res/normal.png" (see platform/Resources.h).
#   veskel_embed_resources(target FILE... [PIXELS PNG...])
# Each PNG after PIXELS is embedded a second time, decoded, as "<its path>.pixels" (see
# tools/embed.cpp for the layout).
function(veskel_embed_resources target)
  cmake_parse_arguments(ARG "" "" "PIXELS" ${ARGN})
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/embedded)
  set(table_entries "")
  set(declarations "")
  set(generated "")
  set(index 0)
  set(entries "")
  foreach(file ${ARG_UNPARSED_ARGUMENTS})
    list(APPEND entries "${file}|")
  endforeach()
  foreach(file ${ARG_PIXELS})
    list(APPEND entries "${file}|--pixels")
  endforeach()
  foreach(entry ${entries})
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 file)
    list(LENGTH parts n)
    set(mode "")
    if(n GREATER 1)
      list(GET parts 1 mode)
    endif()
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${file})
    if(mode)
      string(APPEND rel ".pixels")
    endif()
    set(symbol "veskel_res_${index}")
    set(out ${out_dir}/${symbol}.cpp)
    add_custom_command(
      OUTPUT ${out}
      COMMAND veskel_embed ${mode} ${file} ${symbol} ${out}
      DEPENDS veskel_embed ${file}
      COMMENT "Embedding ${rel}"
      VERBATIM)
    list(APPEND generated ${out})
    string(APPEND declarations "extern const unsigned char ${symbol}[];\nextern const unsigned long ${symbol}_size;\n")
    string(APPEND table_entries "  {\"${rel}\", ${symbol}, &${symbol}_size},\n")
    math(EXPR index "${index} + 1")
  endforeach()
  set(table ${out_dir}/resource_table.cpp)
  file(WRITE ${table}.in
    "// Generated: the table of embedded files.\n"
    "#include \"platform/ResourceTable.h\"\n"
    "${declarations}\n"
    "namespace veskel::detail {\n"
    "const EmbeddedFile kEmbeddedFiles[] = {\n${table_entries}  {nullptr, nullptr, nullptr}\n};\n"
    "}\n")
  configure_file(${table}.in ${table} COPYONLY)
  target_sources(${target} PRIVATE ${generated} ${table})
endfunction()
