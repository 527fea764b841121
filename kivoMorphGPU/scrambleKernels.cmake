# Turns the kernel sources into the scrambled text the plug-in embeds: the files joined in the order
# given, each byte combined by exclusive-or with KEY, written as a C++ array into OUTPUT.
#   cmake -DKEY=90 -DOUTPUT=file.inc -DSOURCES="a.cl;b.cl" -P scrambleKernels.cmake
set(hex "")
foreach(source ${SOURCES})
    file(READ "${source}" content HEX)
    string(APPEND hex "${content}")
endforeach()
string(LENGTH "${hex}" digits)
math(EXPR count "${digits} / 2")
set(body "")
set(line "")
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last})
    math(EXPR at "${i} * 2")
    string(SUBSTRING "${hex}" ${at} 2 byte)
    math(EXPR scrambled "0x${byte} ^ ${KEY}" OUTPUT_FORMAT HEXADECIMAL)
    string(APPEND line "${scrambled},")
    math(EXPR column "${i} % 16")
    if(column EQUAL 15)
        string(APPEND body "${line}\n")
        set(line "")
    endif()
endforeach()
string(APPEND body "${line}\n")
file(WRITE "${OUTPUT}.tmp" "// Generated from the kernel sources by scrambleKernels.cmake.\n"
    "constexpr unsigned char kScrambleKey = ${KEY};\n"
    "constexpr unsigned int kKernelTextSize = ${count};\n"
    "constexpr unsigned char kScrambledKernelText[kKernelTextSize] = {\n${body}};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
