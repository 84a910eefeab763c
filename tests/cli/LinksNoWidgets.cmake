# cmake -DPROGRAM=path -P LinksNoWidgets.cmake — fails when the program, or any library it loads,
# needs Qt Widgets or Qt Gui: what the configure-time check promises, seen in the built file.
file(GET_RUNTIME_DEPENDENCIES EXECUTABLES "${PROGRAM}" RESOLVED_DEPENDENCIES_VAR loaded
     UNRESOLVED_DEPENDENCIES_VAR missing)
foreach(library IN LISTS loaded missing)
    if(library MATCHES "libQt6(Widgets|Gui)")
        message(FATAL_ERROR "${PROGRAM} loads ${library}")
    endif()
endforeach()
list(FILTER loaded INCLUDE REGEX "libQt6Core")
if(NOT loaded)
    message(FATAL_ERROR "${PROGRAM} does not seem to load QtCore at all; nothing was checked")
endif()
message(STATUS "${PROGRAM}: no Qt Widgets, no Qt Gui")
