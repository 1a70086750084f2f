# tarnwerk_include_root(<target> <variable>)
# Makes build/include/<target>/<folder> a link to the current source folder and stores the
# include root build/include/<target> in <variable>.
function(tarnwerk_include_root target variable)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  set(${variable} ${root} PARENT_SCOPE)
endfunction()

# tarnwerk_library(NAME <target> [SOURCES extra...] [DEPS targets...])
# One static library per source folder, made of every .cpp in it. Includes are written from
# the project root ("core/HidePayload.h"), but a library publishes only its own folder: its
# include root (build/include/<target>/) holds one link named like the folder. So a source
# finds the headers of its own folder and of the libraries it links, and a header of a
# library it does not link is not found: the DEPS are exactly what the code uses.
function(tarnwerk_library)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;DEPS" ${ARGN})
  tarnwerk_include_root(${ARG_NAME} root)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(APPEND sources ${ARG_SOURCES})
  if(sources)
    add_library(${ARG_NAME} STATIC ${sources})
    target_include_directories(${ARG_NAME} PUBLIC ${root})
    target_link_libraries(${ARG_NAME} PUBLIC ${ARG_DEPS} PRIVATE tarnwerk_warnings)
  else()
    # Not written yet: keep the build graph valid meanwhile.
    add_library(${ARG_NAME} INTERFACE)
    target_include_directories(${ARG_NAME} INTERFACE ${root})
    target_link_libraries(${ARG_NAME} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# tarnwerk_test(NAME <exe> LABELS <labels> SOURCES ... DEPS ...)
# A GoogleTest executable registered with CTest, one test per case.
function(tarnwerk_test)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock tarnwerk_warnings)
  target_include_directories(${ARG_NAME} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(${ARG_NAME} PROPERTIES LABELS "${ARG_LABELS}" DISCOVERY_TIMEOUT 60)
endfunction()
