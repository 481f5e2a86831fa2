# Compiles the help pages into Kalvetra.chm (run with cmake -P from the help target).
#   CHMCMD      the compiler (chmcmd of Free Pascal)
#   SOURCE_DIR  the help folder of the sources
#   STAGING_DIR a scratch folder of the build: the compiler writes beside the project file
#   OUTPUT      where Kalvetra.chm goes
# chmcmd answers 0 even when it writes nothing, so its output is looked for.
file(REMOVE_RECURSE "${STAGING_DIR}")
file(MAKE_DIRECTORY "${STAGING_DIR}")
file(COPY "${SOURCE_DIR}/" DESTINATION "${STAGING_DIR}"
     PATTERN "CMakeLists.txt" EXCLUDE PATTERN "*.cmake" EXCLUDE)
execute_process(
  COMMAND "${CHMCMD}" Kalvetra.hhp
  WORKING_DIRECTORY "${STAGING_DIR}"
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
set(compiled "${STAGING_DIR}/Kalvetra.chm")
# NOTE: chmcmd 3.2.2 reports every "page.htm#name" link as an undefined anchor, whatever the
# page holds; the tests check the anchors instead. Any other error stops the build.
string(REGEX REPLACE "Error: Anchor [^\n]* undefined[^\n]*" "" checked "${out}")
if(NOT status EQUAL 0 OR NOT EXISTS "${compiled}" OR checked MATCHES "[Ee]rror")
  message(FATAL_ERROR "chmcmd did not compile the help (status ${status}):\n${out}${err}")
endif()
file(SIZE "${compiled}" size)
if(size EQUAL 0)
  message(FATAL_ERROR "chmcmd wrote an empty help file:\n${out}${err}")
endif()
file(COPY_FILE "${compiled}" "${OUTPUT}")
