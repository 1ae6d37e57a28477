# Under the sanitizers every finding fails the test: the first error ends the process with a
# report, leaks included. The suppressions cover only allocations that system libraries keep
# for the life of the process (fonts, the platform plugin), never Kestrun's own code.
set(KESTRUN_SANITIZER_ENV
  "ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:check_initialization_order=1:detect_invalid_pointer_pairs=0"
  "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
  "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp:print_suppressions=0")

# kestrun_add_test(<name> SOURCES <files...> LIBS <targets...> LABELS <unit|gui|e2e...>)
# One Qt Test executable per subject, run headless.
function(kestrun_add_test name)
  cmake_parse_arguments(KT "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${KT_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${KT_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT KT_TIMEOUT)
    set(KT_TIMEOUT 120)
  endif()
  set(_env "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/xdg-runtime;LC_ALL=C.UTF-8;KESTRUN_SOURCE_DIR=${PROJECT_SOURCE_DIR};KESTRUN_BINARY_DIR=${CMAKE_BINARY_DIR};KESTRUN_ARCHIVE=${CMAKE_BINARY_DIR}/test-archives/${name}")
  if(KESTRUN_SANITIZE)
    list(APPEND _env ${KESTRUN_SANITIZER_ENV})
  endif()
  set_tests_properties(${name} PROPERTIES
    LABELS "${KT_LABELS}"
    TIMEOUT ${KT_TIMEOUT}
    ENVIRONMENT "${_env}")
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/xdg-runtime)
  file(CHMOD ${CMAKE_BINARY_DIR}/xdg-runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
endfunction()
