# Turns the GS1 Barcode Syntax Dictionary into the C++ table of application
# identifiers that symbologies/Gs1Syntax.cpp includes.
# Usage: cmake -DINPUT=gs1-syntax-dictionary.txt -DOUTPUT=Gs1AiTable.inc -P Gs1AiTable.cmake
#
# Each entry line: AI or AI range, optional flags ("*" predefined length, so no
# FNC1 after it), data components (Type[,linter...] with Type N/X/Y/Z, a fixed
# length "N6" or a variable one "X..20", optional ones in brackets), then
# attributes and a "# title", which the table does not need.

# Only lines that start with an AI: file(STRINGS) makes a list, and the comment
# block holds ';' and brackets that would split or join its items.
file(STRINGS "${INPUT}" lines REGEX "^[0-9]")

set(entries "")
set(count 0)
foreach(line IN LISTS lines)
    string(REGEX REPLACE "#.*$" "" line "${line}")
    string(REGEX MATCHALL "[^ \t]+" tokens "${line}")
    list(POP_FRONT tokens ai)
    if(ai MATCHES "^([0-9]+)-([0-9]+)$")
        set(first ${CMAKE_MATCH_1})
        set(last ${CMAKE_MATCH_2})
    elseif(ai MATCHES "^[0-9]+$")
        set(first ${ai})
        set(last ${ai})
    else()
        message(FATAL_ERROR "${INPUT}: bad AI '${ai}'")
    endif()
    string(LENGTH "${first}" firstLength)
    string(LENGTH "${last}" lastLength)
    if(NOT firstLength EQUAL lastLength OR firstLength LESS 2 OR firstLength GREATER 4)
        message(FATAL_ERROR "${INPUT}: bad AI range '${ai}'")
    endif()

    set(predefined false)
    list(GET tokens 0 flags)
    if(NOT flags MATCHES "^\\[?[NXYZ]")
        list(POP_FRONT tokens)
        if(flags MATCHES "\\*")
            set(predefined true)
        endif()
    endif()

    set(components "")
    set(format "")
    set(componentCount 0)
    foreach(token IN LISTS tokens)
        if(NOT token MATCHES "^(\\[?)([NXYZ])(\\.\\.)?([0-9]+)(\\]?)(,(.*))?$")
            break() # the attributes follow the components
        endif()
        set(optional false)
        set(open "")
        set(close "")
        if(CMAKE_MATCH_1 STREQUAL "[")
            set(optional true)
            set(open "[")
            set(close "]")
        endif()
        set(type ${CMAKE_MATCH_2})
        set(maxLength ${CMAKE_MATCH_4})
        set(minLength ${CMAKE_MATCH_4})
        if(CMAKE_MATCH_3)
            set(minLength 1)
        endif()
        set(linters "${CMAKE_MATCH_7}")
        string(APPEND components "{'${type}', ${minLength}, ${maxLength}, ${optional}, \"${linters}\"}, ")
        if(format)
            string(APPEND format " ")
        endif()
        string(APPEND format "${open}${type}${CMAKE_MATCH_3}${maxLength}${close}")
        math(EXPR componentCount "${componentCount} + 1")
    endforeach()
    if(componentCount EQUAL 0 OR componentCount GREATER 5)
        message(FATAL_ERROR "${INPUT}: AI ${ai} has ${componentCount} components (1..5 expected)")
    endif()
    # The Digital Link attribute: "dlpkey" or "dlpkey=22,10,21|235".
    set(dlPrimaryKey false)
    set(dlQualifiers "")
    foreach(token IN LISTS tokens)
        if(token MATCHES "^dlpkey(=(.*))?$")
            set(dlPrimaryKey true)
            set(dlQualifiers "${CMAKE_MATCH_2}")
        endif()
    endforeach()
    string(APPEND entries
           "    {\"${first}\", \"${last}\", ${predefined}, \"${format}\", ${componentCount}, {{${components}}}, "
           "${dlPrimaryKey}, \"${dlQualifiers}\"},\n")
    math(EXPR count "${count} + 1")
endforeach()

file(WRITE "${OUTPUT}.new"
"// Generated from ${INPUT}; do not edit.\n"
"// The GS1 Barcode Syntax Dictionary: Copyright (c) GS1 AISBL and contributors,\n"
"// Apache License 2.0 (assets/gs1/LICENSE).\n"
"constexpr std::array<Gs1Ai, ${count}> Gs1AiTable = {{\n${entries}}};\n")
# Rewritten only when it changed, so a touched dictionary rebuilds nothing more.
configure_file("${OUTPUT}.new" "${OUTPUT}" COPYONLY)
