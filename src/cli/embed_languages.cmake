# Writes the language files of the skin into a C++ include file, so that dvdsp-cli has the
# program's texts without the skin: cmake -DDIR=... -DOUT=... -P embed_languages.cmake
set(text "// Generated from the skin's language files by embed_languages.cmake.\n")
foreach(pair "en:lan_en.xml" "ru:lan_ru.xml" "cn_zh:lan_cn.xml")
  string(REPLACE ":" ";" parts "${pair}")
  list(GET parts 0 code)
  list(GET parts 1 file)
  file(READ "${DIR}/${file}" xml)
  string(APPEND text "{\"${code}\", R\"lan(${xml})lan\"},\n")
endforeach()
file(WRITE "${OUT}.new" "${text}")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
