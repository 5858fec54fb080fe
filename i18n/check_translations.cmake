# Fails while a text of the window has no English translation: brings the
# current source texts into a copy of the .ts file, as `update_translations`
# would, and looks for messages left unfinished.
#   cmake -DLUPDATE=… -DSOURCE_DIR=… -DTS_FILE=… -DWORK_DIR=… -P check_translations.cmake
get_filename_component(name "${TS_FILE}" NAME)
set(copy "${WORK_DIR}/${name}")
file(COPY_FILE "${TS_FILE}" "${copy}")
execute_process(
  COMMAND "${LUPDATE}" -silent -locations none -no-obsolete -no-ui-lines -extensions cpp,h ui controls res -ts "${copy}"
  WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "lupdate failed on ${copy}")
endif()
file(READ "${copy}" ts)
# One <message> per source text; the unfinished ones carry type="unfinished".
string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation type=\"unfinished\"" missing "${ts}")
list(LENGTH missing count)
if(count GREATER 0)
  string(REGEX REPLACE "</source>[ \n]*<translation type=\"unfinished\"" "" missing "${missing}")
  string(REPLACE "<source>" "\n  " missing "${missing}")
  message(FATAL_ERROR "${count} text(s) without an English translation in ${name}:${missing}\n"
                      "Add them with: cmake --build BUILD --target update_translations, then fill in i18n/${name}.")
endif()
message(STATUS "Every source text has its English translation.")
