include(GoogleTest)

# fenwarde_add_test(NAME [QT] SOURCES... [LIBS libs...])
# QT: the test gets a QApplication (tests/support/QtTestMain.cpp) instead of gtest's main.
# Every test runs hermetically: offscreen Qt platform, a fixed UTF-8 locale, and a home of its
# own under the build tree so no test can touch a real conf.ini, log or database.
function(fenwarde_add_test name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
  if(ARG_QT)
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Widgets Qt6::Test GTest::gtest GTest::gmock)
  else()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  set(home ${CMAKE_BINARY_DIR}/test-home/${name})
  file(MAKE_DIRECTORY ${home})
  set(env
    QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=Asia/Shanghai
    FENWARDE_HOME=${home} QTWEBENGINE_DISABLE_SANDBOX=1 FENWARDE_SOURCE_DIR=${CMAKE_SOURCE_DIR})
  # Test properties cannot carry a list through the discovery script, so the environment is
  # set by running each test (and its discovery) through env.
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "env;${env}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
