# The ISO 9660 reader's valid seeds, included by run_smoke.cmake: one small tree written by
# bsdtar as Rock Ridge with Joliet, Joliet alone and plain ISO 9660, without the end padding.
set(tree "${CORPUS}/../iso_tree")
file(REMOVE_RECURSE "${tree}" "${CORPUS}")
file(WRITE "${tree}/Photos/Summer Holiday.jpeg" "jpeg")
file(WRITE "${tree}/Photos/back\\slash.txt" "bs")
file(WRITE "${tree}/Photos/Deep/er/most.txt" "deep")
file(WRITE "${tree}/Photos/empty.txt" "")
file(WRITE "${tree}/Root.TXT" "root")
file(MAKE_DIRECTORY "${tree}/Empty" "${CORPUS}")
set(options_rockridge-joliet "")
set(options_joliet "iso9660:!rockridge,")
set(options_plain "iso9660:!rockridge,iso9660:!joliet,")
foreach(name rockridge-joliet joliet plain)
    execute_process(COMMAND bsdtar -cf "${CORPUS}/valid-${name}.iso" --format iso9660
                            --options "${options_${name}}iso9660:!pad" -C "${tree}" .
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "bsdtar could not write the seed ${name}")
    endif()
endforeach()
