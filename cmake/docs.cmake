# The API reference: `cmake --build <dir> --target docs` runs Doxygen on the public headers
# (docs/Doxyfile.in) and writes <dir>/docs/html/index.html. The target exists only when Doxygen
# is found and is not part of `all`. It fails on any Doxygen warning (an undocumented public
# name, a broken reference), listing the warnings.
find_package(Doxygen QUIET)
if(DOXYGEN_FOUND)
  set(KEZ_DOCS_OUTPUT ${PROJECT_BINARY_DIR}/docs)
  configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${KEZ_DOCS_OUTPUT}/Doxyfile @ONLY)
  add_custom_target(docs
    COMMAND ${CMAKE_COMMAND} -DDOXYGEN=${DOXYGEN_EXECUTABLE} -DDOXYFILE=${KEZ_DOCS_OUTPUT}/Doxyfile
      -DLOG=${KEZ_DOCS_OUTPUT}/warnings.log
      -P ${PROJECT_SOURCE_DIR}/cmake/run-doxygen.cmake
    WORKING_DIRECTORY ${KEZ_DOCS_OUTPUT}
    COMMENT "API reference (Doxygen): ${KEZ_DOCS_OUTPUT}/html/index.html"
    VERBATIM)
endif()
