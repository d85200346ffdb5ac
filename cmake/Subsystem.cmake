# Layers are enforced by include roots: a library sees the headers of its own
# folder and of the libraries it links, nothing else. Each folder src/<name>
# gets a root of its own in the build tree that holds only a link to that
# folder, so "#include "<name>/X.h"" resolves exactly when <name> is a
# dependency, and an include that points up the layers fails to compile.
function(tq580_include_root target folder)
  set(root ${PROJECT_BINARY_DIR}/include-roots/${folder})
  file(MAKE_DIRECTORY ${root})
  if(NOT EXISTS ${root}/${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# Each subsystem folder is one static library made of every source file in it,
# so adding a file to a folder needs no edit of the build files. LINKS names
# the libraries it may use; their headers are all it sees besides its own.
function(tq580_subsystem name)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
  add_library(${name} STATIC ${sources})
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  tq580_include_root(${name} ${folder})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
endfunction()

# Each test folder is one GoogleTest executable made of every *_test.cpp in it
# (plus any helper sources), run headless.
function(tq580_test_folder name)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} tq580_test_support GTest::gtest)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  # One variable per property: the discovery script splits a list of
  # variables in ENVIRONMENT, and only the first one would be set.
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               ENVIRONMENT_MODIFICATION "TQ580_FIXTURES=set:${PROJECT_SOURCE_DIR}/tests/fixtures")
endfunction()
