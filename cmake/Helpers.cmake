# Shared build settings: the warning target, sanitizers and test registration.

add_library(lbl_warnings INTERFACE)
target_compile_options(lbl_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
if(LBL_WERROR)
    target_compile_options(lbl_warnings INTERFACE -Werror)
endif()

if(LBL_SANITIZE)
    list(JOIN LBL_SANITIZE "," _lbl_san)
    add_compile_options(-fsanitize=${_lbl_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${_lbl_san})
endif()

# lbl_add_test(name SOURCES a.cpp ... LIBS lib ... [LABELS l ...] [TIMEOUT s])
function(lbl_add_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS} lbl_warnings)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${name} PRIVATE LBL_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
    add_test(NAME ${name} COMMAND ${name})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LBL_BUILD_DIR=${PROJECT_BINARY_DIR}"
        TIMEOUT ${T_TIMEOUT}
        LABELS "${T_LABELS}")
endfunction()
