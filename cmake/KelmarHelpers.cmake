# Adds every direct subfolder of the current source folder that has a
# CMakeLists.txt. tests/, bench/ and fuzz/ hold one such subfolder per library.
function(kelmar_add_subfolders)
    file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child ${children})
        if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
           AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# A libFuzzer target kelmar_fuzz_<name> from <name>_fuzz.cpp plus the given
# sources (compiled in so that libFuzzer sees their coverage), optimised and
# under ASan+UBSan. Extra compile options after OPTIONS, libraries after LIBS.
function(kelmar_add_fuzz_target name)
    cmake_parse_arguments(FUZZ "" "" "SOURCES;OPTIONS;LIBS" ${ARGN})
    set(target kelmar_fuzz_${name})
    add_executable(${target} ${name}_fuzz.cpp ${FUZZ_SOURCES})
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_options(${target} PRIVATE -O2 -fsanitize=fuzzer,address,undefined
                                             ${FUZZ_OPTIONS} -fno-sanitize-recover=all)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${target} PRIVATE ${FUZZ_LIBS} kelmar_options)
endfunction()
