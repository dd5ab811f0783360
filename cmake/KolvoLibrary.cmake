# libkolvo: the conversions as a shared library with a C API
# (include/kolvo/kolvo.h, src/library/). It is the core made private behind
# that API: only the kolvo_* functions are exported (cmake/libkolvo.map), so
# the ABI is what the header says and nothing else, and loading it binds
# few symbols. The soname carries the major version (libkolvo.so.0), the
# file the whole version (libkolvo.so.0.9.0).

include(GNUInstallDirs)

# The header's version macros, from the project's version.
configure_file(${PROJECT_SOURCE_DIR}/cmake/kolvo_version.h.in
               ${PROJECT_BINARY_DIR}/generated/include/kolvo/kolvo_version.h @ONLY)

file(GLOB KOLVO_LIBRARY_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/library/*.cpp)
# The library's code, compiled once for the shared library and for the
# program, which converts through the same C functions linked in: one copy
# of the core in the process and no library to load at start. The font
# module is looked for beside the code's own file (dladdr).
add_library(kolvo_library_objects OBJECT ${KOLVO_LIBRARY_SOURCES}
            ${PROJECT_SOURCE_DIR}/src/driver/fonts_module.cpp)
set_target_properties(kolvo_library_objects PROPERTIES
  POSITION_INDEPENDENT_CODE ON
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
target_include_directories(kolvo_library_objects PUBLIC
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
  $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/generated/include>)
target_link_libraries(kolvo_library_objects PUBLIC kolvo_core)
target_compile_definitions(kolvo_library_objects PRIVATE KOLVO_LIBRARY_DIR="${CMAKE_INSTALL_LIBDIR}")
target_compile_options(kolvo_library_objects PRIVATE ${KOLVO_WARNINGS})

add_library(libkolvo SHARED $<TARGET_OBJECTS:kolvo_library_objects>)
set_target_properties(libkolvo PROPERTIES
  OUTPUT_NAME kolvo
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR}
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/libkolvo.map)
target_include_directories(libkolvo PUBLIC
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
  $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/generated/include>)
target_link_libraries(libkolvo PRIVATE kolvo_core ${CMAKE_DL_LIBS})
target_link_options(libkolvo PRIVATE
  -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/libkolvo.map)
# A symbol the library lacks is a link error here rather than a failure of
# the program that loads it; the sanitizers' run-time comes with the
# program, so their builds leave such symbols to it.
if(NOT KOLVO_SANITIZE AND NOT KOLVO_FUZZ)
  target_link_options(libkolvo PRIVATE -Wl,--no-undefined)
endif()
add_dependencies(libkolvo kolvo_fonts_module)

install(TARGETS libkolvo LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/kolvo/kolvo.h
              ${PROJECT_BINARY_DIR}/generated/include/kolvo/kolvo_version.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kolvo)
# kolvo.pc names the prefix it is installed under, which `cmake --install
# --prefix` may choose after configuring: the file is made at install time
# from a template that has every other line filled in now.
set(KOLVO_PC_PREFIX "@KOLVO_PC_PREFIX@")
configure_file(${PROJECT_SOURCE_DIR}/cmake/kolvo.pc.in ${PROJECT_BINARY_DIR}/generated/kolvo.pc.in
               @ONLY)
install(CODE "
  set(KOLVO_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${PROJECT_BINARY_DIR}/generated/kolvo.pc.in\"
                 \"${PROJECT_BINARY_DIR}/generated/kolvo.pc\" @ONLY)
  file(INSTALL \"${PROJECT_BINARY_DIR}/generated/kolvo.pc\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig\")
")
