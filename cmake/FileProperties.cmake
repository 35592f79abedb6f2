# kelmora_file_properties(<target> <description>): the file properties
# Windows shows for a program (a VERSIONINFO resource), with the project's
# version.
function(kelmora_file_properties target description)
    set(KELMORA_FILE_NAME ${target})
    set(KELMORA_FILE_DESCRIPTION ${description})
    set(rc ${PROJECT_BINARY_DIR}/generated/VersionInfo-${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
