# Reading the public key that update cabinets are signed with, at configure time, without any
# tool beyond CMake: the key file is an ECDSA P-256 public key as openssl writes it
# ("openssl pkey -pubout"), PEM or DER.

# The DER SubjectPublicKeyInfo of every P-256 key begins with these bytes (the algorithm, the
# curve, a 66-byte bit string and the uncompressed-point marker 04); the 64 bytes of X and Y follow.
set(WL_P256_KEY_PREFIX "3059301306072a8648ce3d020106082a8648ce3d03010703420004")

# Decodes base64 text (whitespace ignored) into lower-case hexadecimal digits.
function(wl_base64_to_hex text out_var)
    set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
    string(REGEX REPLACE "[ \t\r\n=]" "" text "${text}")
    string(LENGTH "${text}" length)
    set(bits 0)
    set(bit_count 0)
    set(hex "")
    if(length GREATER 0)
        math(EXPR last "${length} - 1")
        foreach(i RANGE 0 ${last})
            string(SUBSTRING "${text}" ${i} 1 char)
            string(FIND "${alphabet}" "${char}" value)
            if(value LESS 0)
                set(${out_var} "" PARENT_SCOPE)
                return()
            endif()
            math(EXPR bits "((${bits} << 6) | ${value}) & 0xFFFF")
            math(EXPR bit_count "${bit_count} + 6")
            if(bit_count GREATER_EQUAL 8)
                math(EXPR bit_count "${bit_count} - 8")
                math(EXPR byte "(${bits} >> ${bit_count}) & 0xFF" OUTPUT_FORMAT HEXADECIMAL)
                string(SUBSTRING "${byte}" 2 -1 byte)
                string(LENGTH "${byte}" byte_length)
                if(byte_length LESS 2)
                    set(byte "0${byte}")
                endif()
                string(APPEND hex "${byte}")
            endif()
        endforeach()
    endif()
    string(TOLOWER "${hex}" hex)
    set(${out_var} "${hex}" PARENT_SCOPE)
endfunction()

# Sets out_var to the 128 hexadecimal digits of X and Y of the P-256 public key in key_file, or
# stops the configuration with a message saying what is wrong with the file.
function(wl_read_update_public_key key_file out_var)
    if(NOT EXISTS "${key_file}")
        message(FATAL_ERROR "The update public key ${key_file} does not exist.")
    endif()
    file(READ "${key_file}" der HEX)
    # "-----" begins a PEM file.
    if(der MATCHES "^2d2d2d2d2d")
        file(READ "${key_file}" pem)
        if(NOT pem MATCHES "-----BEGIN PUBLIC KEY-----(.*)-----END PUBLIC KEY-----")
            message(FATAL_ERROR "${key_file} holds no public key (a PEM file with BEGIN PUBLIC KEY).")
        endif()
        wl_base64_to_hex("${CMAKE_MATCH_1}" der)
    endif()
    string(LENGTH "${WL_P256_KEY_PREFIX}" prefix_length)
    string(LENGTH "${der}" der_length)
    math(EXPR expected_length "${prefix_length} + 128")
    if(NOT der_length EQUAL expected_length)
        message(FATAL_ERROR "${key_file} is not an ECDSA P-256 public key.")
    endif()
    string(SUBSTRING "${der}" 0 ${prefix_length} prefix)
    if(NOT prefix STREQUAL WL_P256_KEY_PREFIX)
        message(FATAL_ERROR "${key_file} is not an ECDSA P-256 public key.")
    endif()
    string(SUBSTRING "${der}" ${prefix_length} 128 point)
    set(${out_var} "${point}" PARENT_SCOPE)
endfunction()

# Writes a header that defines kUpdatePublicKey, the 64 bytes of the key's X and Y.
function(wl_write_update_key_header point source_file header)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " bytes "${point}")
    string(REGEX REPLACE ", $" "" bytes "${bytes}")
    file(CONFIGURE OUTPUT "${header}" CONTENT "// Made at configure time from ${source_file}: do not edit.
// The ECDSA P-256 public key whose signatures the updater accepts, X then Y, big-endian.
#pragma once

static const unsigned char kUpdatePublicKey[64] = {${bytes}};
" @ONLY)
endfunction()
