# Native build: the core's unit tests, optionally under AddressSanitizer and UBSan.
if(TARN_SANITIZE)
  set(TARN_SANITIZE_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
      -fno-sanitize-recover=all)
  target_compile_options(tarn_core PRIVATE ${TARN_SANITIZE_FLAGS})
  target_compile_options(tarn_console PRIVATE ${TARN_SANITIZE_FLAGS})
endif()

if(TARN_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  file(GLOB TARN_NATIVE_TESTS CONFIGURE_DEPENDS tests/native/*.cpp)
  add_executable(core_tests ${TARN_NATIVE_TESTS})
  target_link_libraries(core_tests PRIVATE tarn_core tarn_console GTest::gtest GTest::gtest_main)
  target_include_directories(core_tests PRIVATE tests)
  if(TARN_SANITIZE)
    target_compile_options(core_tests PRIVATE ${TARN_SANITIZE_FLAGS})
    target_link_options(core_tests PRIVATE ${TARN_SANITIZE_FLAGS})
  endif()
  add_test(NAME core_tests COMMAND core_tests
           --gtest_output=xml:${CMAKE_BINARY_DIR}/test-results/core_tests.xml)
endif()

# The fuzz targets of the loader and the runner, of the PE reader and of the good PC's report
# (clang only):
# scripts/fuzz.sh builds and runs them.
option(TARN_FUZZ "Build the libFuzzer targets" OFF)
if(TARN_FUZZ)
  set(TARN_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
      -fno-sanitize-recover=all)
  target_compile_options(tarn_core PRIVATE ${TARN_FUZZ_FLAGS})
  target_compile_options(tarn_console PRIVATE ${TARN_FUZZ_FLAGS})
  foreach(target runner_fuzz pe_fuzz baseline_fuzz)
    add_executable(${target} tests/fuzz/${target}.cpp)
    target_link_libraries(${target} PRIVATE tarn_core tarn_console)
    target_include_directories(${target} PRIVATE tests)
    target_compile_options(${target} PRIVATE ${TARN_FUZZ_FLAGS})
    target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  endforeach()
endif()
