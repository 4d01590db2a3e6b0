# The protections Debian's dpkg-buildflags gives its packages (hardening=+all), for the release
# build and the package: stack protector, fortified libc calls, stack clash probes, control-flow
# protection, position-independent executables, and a read-only relocation table bound at start.
include(CheckCXXCompilerFlag)
include(CheckCXXSourceCompiles)
include(CheckPIESupported)

check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong)
foreach(flag -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "QUORVANE_HAS${flag}" supported)
    check_cxx_compiler_flag(${flag} ${supported})
    if(${supported})
        add_compile_options(${flag})
    endif()
endforeach()

# Level 3 also checks sizes only known at run time; it needs the compiler's dynamic object size.
check_cxx_source_compiles([[
#if !defined(__has_builtin) || !__has_builtin(__builtin_dynamic_object_size)
#error no dynamic object size
#endif
int main() { return 0; }
]] QUORVANE_HAS_DYNAMIC_OBJECT_SIZE)
if(QUORVANE_HAS_DYNAMIC_OBJECT_SIZE)
    set(QUORVANE_FORTIFY_LEVEL 3)
else()
    set(QUORVANE_FORTIFY_LEVEL 2)
endif()
# glibc fortifies only optimised code and warns about the rest, so the debug build goes without.
add_compile_options($<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE>
                    $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=${QUORVANE_FORTIFY_LEVEL}>)

add_link_options(LINKER:-z,relro LINKER:-z,now)
