# Reads CMake's own dependency graph of the libraries and checks it against the layer table
# of src/CMakeLists.txt (QUARNEL_LAYERS, from the bottom layer up):
#   - a library links only libraries listed before it in the table;
#   - a "core" library links only core libraries and never a display module of Qt (Widgets,
#     Charts ...);
#   - every library of src/ is in the table, and its folder src/<name> holds it and no other.
# With DOT_OUT set it also writes the libraries' graph, layer by layer, for docs/; with
# DOT_EXPECTED set it fails when that file is not what the graph gives now.
#
#   cmake -DSOURCE_DIR=. -DWORK_DIR=/tmp/layers -P scripts/layers.cmake
#       configures a scratch tree in WORK_DIR with --graphviz and checks it
#   cmake -DGRAPH=deps.dot -DLAYERS=layers.txt -P scripts/layers.cmake
#       checks a graph and table already written (the check's own test feeds a wrong one)
cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED GRAPH)
    if(NOT DEFINED SOURCE_DIR OR NOT DEFINED WORK_DIR)
        message(FATAL_ERROR "give SOURCE_DIR and WORK_DIR, or GRAPH and LAYERS")
    endif()
    file(REMOVE_RECURSE ${WORK_DIR})
    execute_process(
        COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR} -DQUARNEL_TESTS=OFF -DQUARNEL_BENCH=OFF
                -DQUARNEL_FUZZ=OFF --graphviz=${WORK_DIR}/graph/deps.dot
        RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "configuring ${SOURCE_DIR} failed:\n${err}")
    endif()
    set(GRAPH ${WORK_DIR}/graph/deps.dot)
    set(LAYERS ${WORK_DIR}/layers.txt)
endif()

# Qt modules that draw windows; a core library links none of them.
set(display_modules Qt6::Widgets Qt6::OpenGLWidgets Qt6::PrintSupport Qt6::Charts Qt6::ChartsQml)

file(STRINGS ${LAYERS} table)
set(names "")
foreach(entry ${table})
    string(REPLACE ":" ";" parts "${entry}")
    list(GET parts 0 name)
    list(GET parts 1 kind)
    list(APPEND names ${name})
    set(kind_${name} ${kind})
endforeach()

file(STRINGS ${GRAPH} lines)
set(failures "")
set(edges "")
foreach(line ${lines})
    if(line MATCHES "^ +\"node[0-9]+\" \\[ label = \"([^\"]+)\", shape = octagon \\]")
        # A static library of the project.
        list(FIND names "${CMAKE_MATCH_1}" at)
        if(at EQUAL -1)
            list(APPEND failures "library ${CMAKE_MATCH_1} is not in the layer table of src/CMakeLists.txt")
        endif()
    elseif(line MATCHES "// ([^ ]+) -> ([^ ]+)$")
        set(from ${CMAKE_MATCH_1})
        set(to ${CMAKE_MATCH_2})
        list(FIND names "${from}" from_at)
        if(from_at EQUAL -1)
            continue()  # programs and Qt's own targets
        endif()
        list(FIND names "${to}" to_at)
        if(to_at GREATER_EQUAL 0)
            list(APPEND edges "${from}>${to}")
            if(to_at GREATER_EQUAL from_at)
                list(APPEND failures "${from} links ${to}, which sits above it in the layer table")
            elseif(kind_${from} STREQUAL "core" AND NOT kind_${to} STREQUAL "core")
                list(APPEND failures "${from} has no display but links ${to}, which has windows")
            endif()
        elseif(kind_${from} STREQUAL "core" AND "${to}" IN_LIST display_modules)
            list(APPEND failures "${from} has no display but links ${to}")
        endif()
    endif()
endforeach()

if(DEFINED SOURCE_DIR)
    foreach(name ${names})
        set(lists ${SOURCE_DIR}/src/${name}/CMakeLists.txt)
        if(NOT EXISTS ${lists})
            list(APPEND failures "library ${name} has no folder src/${name}")
            continue()
        endif()
        file(STRINGS ${lists} adds REGEX "^[ \t]*add_library\\(")
        foreach(add ${adds})
            if(NOT add MATCHES "add_library\\(${name}[ )]")
                list(APPEND failures "src/${name} holds another library: ${add}")
            endif()
        endforeach()
    endforeach()
endif()

if(failures)
    string(REPLACE ";" "\n  " text "${failures}")
    message(FATAL_ERROR "The libraries' links break the layering:\n  ${text}")
endif()
list(LENGTH names count)
list(LENGTH edges links)
message(STATUS "${count} libraries, ${links} links between them, every link to a lower layer")

# The picture: the libraries without a display in one box, those with windows in another;
# every arrow points down to what a library uses, so the bottom layer is drawn at the bottom.
if(DEFINED DOT_OUT OR DEFINED DOT_EXPECTED)
    list(SORT edges)
    set(dot "// The libraries of src/ and their links, from scripts/architecture-graph.sh.\n")
    string(APPEND dot "digraph quarnel {\n  rankdir = TB;\n  node [ shape = box, fontsize = 11 ];\n")
    string(APPEND dot "  subgraph cluster_core {\n    label = \"no display (Qt Core/Gui)\";\n")
    foreach(name ${names})
        if(kind_${name} STREQUAL "core")
            string(APPEND dot "    \"${name}\";\n")
        endif()
    endforeach()
    string(APPEND dot "  }\n  subgraph cluster_widgets {\n    label = \"windows (Qt Widgets)\";\n")
    foreach(name ${names})
        if(NOT kind_${name} STREQUAL "core")
            string(APPEND dot "    \"${name}\";\n")
        endif()
    endforeach()
    string(APPEND dot "  }\n")
    foreach(edge ${edges})
        string(REPLACE ">" "\" -> \"" arrow "${edge}")
        string(APPEND dot "  \"${arrow}\";\n")
    endforeach()
    string(APPEND dot "}\n")
    if(DEFINED DOT_OUT)
        file(WRITE ${DOT_OUT} "${dot}")
    endif()
    if(DEFINED DOT_EXPECTED)
        file(READ ${DOT_EXPECTED} expected)
        if(NOT expected STREQUAL dot)
            message(FATAL_ERROR "${DOT_EXPECTED} is not the current graph: run scripts/architecture-graph.sh")
        endif()
    endif()
endif()
