# The fuzz targets, shared by the libFuzzer build (fuzz/) and the replay of their seeds in the
# ordinary test build (tests/fuzz/).
set(tarvik_fuzz_names
    fuzz_combination
    fuzz_device
    fuzz_hid_descriptor
    fuzz_hidraw_path
    fuzz_kde_config
    fuzz_keys
    fuzz_language
    fuzz_layout
    fuzz_macro_decode
    fuzz_macro_eeprom
    fuzz_macro_file
    fuzz_macro_library
    fuzz_patch_file
    fuzz_profile_file
    fuzz_profile_json
    fuzz_single_instance
    fuzz_virtual_state)

# Links target with the layers fuzz/<name>.cpp uses: always the core, and each other layer
# ("hid/...", "emulator/...", "platform/...", "cli/...") whose header it includes.
function(tarvik_fuzz_link target name)
    set(src ${PROJECT_SOURCE_DIR}/fuzz/${name}.cpp)
    set(libs tarvik_core)
    foreach(layer hid emulator platform cli)
        file(STRINGS ${src} uses REGEX "^#include \"${layer}/")
        if(uses)
            list(APPEND libs tarvik_${layer})
        endif()
    endforeach()
    target_link_libraries(${target} PRIVATE ${libs})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${src})
endfunction()
