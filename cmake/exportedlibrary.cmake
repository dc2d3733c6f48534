# A shared library of ours that exports only the calls its exports.map names:
# everything else stays hidden, also what comes from static libraries and
# the standard library's templates and Qt's inline functions. It is built
# beside the program.
function(scorvista_exported_library target)
  target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL -Wl,-z,defs
    -Wl,--version-script=${CMAKE_CURRENT_SOURCE_DIR}/exports.map)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/exports.map)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/app)
endfunction()
