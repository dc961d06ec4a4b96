# Windows build (mingw-w64): the Windows implementations of the platform, the window, the exe,
# and the tests that run under Wine.
enable_language(RC)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
# One portable file: the C and C++ run-times are linked in, so only Windows' own DLLs are needed.
set(TARN_STATIC_LINK -static -static-libgcc -static-libstdc++)
set(TARN_SYSTEM_LIBS comctl32 comdlg32 shell32 ole32 oleaut32 uuid version user32 gdi32 bcrypt
                     wintrust crypt32)

add_library(tarn_win32 STATIC
  src/services/win32/com.cpp
  src/services/win32/desktop.cpp
  src/services/win32/diagnostics.cpp
  src/services/win32/file_identity.cpp
  src/services/win32/files.cpp
  src/services/win32/folder_browser.cpp
  src/services/win32/path_identity.cpp
  src/services/win32/process_runner.cpp
  src/services/win32/registry.cpp
  src/services/win32/search_order.cpp
  src/services/win32/shell.cpp
  src/services/win32/side_by_side.cpp
  src/services/win32/system_error.cpp
  src/services/win32/type_library_registry.cpp
  src/ui/file_dialog.cpp
  src/ui/main_window.cpp
  src/ui/win32_controls.cpp
  src/ui/win32_layout.cpp
)
target_link_libraries(tarn_win32 PUBLIC tarn_core ${TARN_SYSTEM_LIBS})

# Each exe's manifest asks for the rights of whoever starts it (asInvoker): without one, Windows
# runs a 32-bit exe under UAC virtualization, and its log beside the exe in Program Files would
# land unseen in the user's VirtualStore.
foreach(exe tarninfo tarninfoc)
  set_source_files_properties(src/ui/${exe}.rc PROPERTIES
                              OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/src/ui/${exe}.manifest)
endforeach()
add_executable(tarninfo WIN32 src/ui/win_main.cpp src/ui/tarninfo.rc)
target_link_libraries(tarninfo PRIVATE tarn_win32)
target_link_options(tarninfo PRIVATE ${TARN_STATIC_LINK})

# The console edition: the same core with a console front end instead of the window.
add_executable(tarninfoc src/console/win32/main.cpp src/console/win32/console_view.cpp
                         src/ui/tarninfoc.rc)
target_link_libraries(tarninfoc PRIVATE tarn_win32 tarn_console)
target_link_options(tarninfoc PRIVATE ${TARN_STATIC_LINK})

if(TARN_TESTS)
  enable_testing()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

  # Results are written where the test command collects them; Wine sees the Linux root as Z:.
  set(TARN_RESULTS Z:${CMAKE_BINARY_DIR}/test-results)

  file(GLOB TARN_WIN32_TESTS CONFIGURE_DEPENDS tests/win32/*.cpp)
  add_executable(platform_tests ${TARN_WIN32_TESTS})
  target_link_libraries(platform_tests PRIVATE tarn_win32 gtest gtest_main)
  target_include_directories(platform_tests PRIVATE tests)
  target_link_options(platform_tests PRIVATE ${TARN_STATIC_LINK})
  add_test(NAME platform_tests COMMAND platform_tests
           --gtest_output=xml:${TARN_RESULTS}/platform_tests.xml)

  file(GLOB TARN_E2E_TESTS CONFIGURE_DEPENDS tests/e2e/*.cpp)
  add_executable(e2e_tests ${TARN_E2E_TESTS})
  target_link_libraries(e2e_tests PRIVATE tarn_console gtest gtest_main user32 gdi32 advapi32)
  target_include_directories(e2e_tests PRIVATE tests src)
  target_link_options(e2e_tests PRIVATE ${TARN_STATIC_LINK})
  add_dependencies(e2e_tests tarninfo tarninfoc)
  include(tests/win32/fixtures/fixtures.cmake)
  set(TARN_E2E_ENVIRONMENT
    "TARN_EXE=Z:$<TARGET_FILE:tarninfo>;TARN_CONSOLE=Z:$<TARGET_FILE:tarninfoc>;\
TARN_CASES=Z:${CMAKE_SOURCE_DIR}/tests/e2e/cases;TARN_FIXTURES=Z:${TARN_FIXTURE_DIR};\
TARN_REPORTS=${TARN_RESULTS}/tarninfoc-json")
  add_test(NAME e2e_tests COMMAND e2e_tests --gtest_output=xml:${TARN_RESULTS}/e2e_tests.xml)
  set_tests_properties(e2e_tests PROPERTIES ENVIRONMENT "${TARN_E2E_ENVIRONMENT}")
  set_tests_properties(e2e_tests PROPERTIES TIMEOUT 900)
  # The cases of a zone with daylight saving (the eastern United States, whose rules changed in
  # 2007), in a test command of their own: Wine takes a program's time zone from its Linux TZ,
  # which the programs it starts inherit.
  set(TARN_DAYLIGHT_ZONE "EST5EDT,M3.2.0,M11.1.0")
  add_test(NAME e2e_daylight_zone COMMAND e2e_tests --gtest_filter=Cases/*
           --gtest_output=xml:${TARN_RESULTS}/e2e_daylight_zone.xml)
  set_tests_properties(e2e_daylight_zone PROPERTIES TIMEOUT 300 ENVIRONMENT
    "${TARN_E2E_ENVIRONMENT};TZ=${TARN_DAYLIGHT_ZONE};TARN_ZONE=${TARN_DAYLIGHT_ZONE}")
  set_tests_properties(platform_tests PROPERTIES TIMEOUT 300)
endif()

# Benchmarks: built with the rest, run by hand (see bench/).
add_executable(log_pane_bench EXCLUDE_FROM_ALL bench/log_pane_bench.cpp)
target_link_libraries(log_pane_bench PRIVATE tarn_win32)
target_link_options(log_pane_bench PRIVATE ${TARN_STATIC_LINK})
add_executable(run_and_wait_bench EXCLUDE_FROM_ALL bench/run_and_wait_bench.cpp)
target_link_libraries(run_and_wait_bench PRIVATE tarn_win32)
target_link_options(run_and_wait_bench PRIVATE ${TARN_STATIC_LINK})
add_executable(tarninfoc_bench EXCLUDE_FROM_ALL bench/tarninfoc_bench.cpp)
target_link_libraries(tarninfoc_bench PRIVATE tarn_win32)
target_link_options(tarninfoc_bench PRIVATE ${TARN_STATIC_LINK})
add_dependencies(tarninfoc_bench tarninfoc)
add_executable(scan_bench EXCLUDE_FROM_ALL bench/scan_bench.cpp)
target_link_libraries(scan_bench PRIVATE tarn_win32)
target_link_options(scan_bench PRIVATE ${TARN_STATIC_LINK})
add_dependencies(scan_bench tarninfoc)
add_executable(identity_bench EXCLUDE_FROM_ALL bench/identity_bench.cpp)
target_link_libraries(identity_bench PRIVATE tarn_win32)
target_link_options(identity_bench PRIVATE ${TARN_STATIC_LINK})
