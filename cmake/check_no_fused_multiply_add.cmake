# Fails when the library's machine code holds a fused multiply-add: it rounds a product and a sum
# once instead of twice, so the results would differ in their last bit from the specified ones.
# Run as: cmake -DOBJDUMP=<objdump> -DARCHIVES=<a;b;...> -P check_no_fused_multiply_add.cmake
set(found "")
foreach(archive ${ARCHIVES})
    execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${archive}
                    OUTPUT_VARIABLE code RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "objdump could not read ${archive}")
    endif()
    string(REGEX MATCHALL "[ \t]v?fn?m(add|sub)[0-9a-z]*[ \t]" instructions "${code}")
    list(LENGTH instructions count)
    if(count GREATER 0)
        list(APPEND found "${archive}: ${count}")
    endif()
endforeach()
if(found)
    string(REPLACE ";" "\n  " listed "${found}")
    message(FATAL_ERROR "fused multiply-add instructions in\n  ${listed}")
endif()
