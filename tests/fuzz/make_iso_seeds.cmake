# The ISO 9660 reader's valid seeds, included by run_smoke.cmake: a small tree written by bsdtar
# with Rock Ridge and Joliet names, and with plain ISO 9660 names, without the end padding.
set(tree "${CORPUS}/../iso_tree")
file(REMOVE_RECURSE "${tree}" "${CORPUS}")
file(WRITE "${tree}/Photos/back\\slash.txt" "bs")
file(WRITE "${tree}/Photos/Deep/er/Summer Holiday.jpeg" "deep")
file(WRITE "${tree}/Root.TXT" "")
file(MAKE_DIRECTORY "${tree}/Empty" "${CORPUS}")
foreach(options "iso9660:joliet" "iso9660:!rockridge,iso9660:!joliet")
    string(MAKE_C_IDENTIFIER "${options}" name)
    execute_process(COMMAND bsdtar -cf "${CORPUS}/valid-${name}.iso" --format iso9660
                            --options "${options},iso9660:!pad" -C "${tree}" . RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "bsdtar could not write the seed ${name}")
    endif()
endforeach()
# And the archive lister's: the same tree as zip, 7z and tar.gz.
foreach(format "zip;--format;zip" "7z;--format;7zip" "tar.gz;-z")
    list(POP_FRONT format extension)
    execute_process(COMMAND bsdtar -cf "${CORPUS}/valid-archive.${extension}" ${format} -C "${tree}" .
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "bsdtar could not write the seed archive ${extension}")
    endif()
endforeach()
