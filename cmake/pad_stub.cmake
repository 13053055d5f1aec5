# Pads a linked stub image with zero bytes to exactly STUB_SIZE bytes, so that an
# archive appended to it starts at that offset. Fails when the image does not fit.
# Also writes OUTPUT.size holding the unpadded size, a figure the benchmarks report.
file(SIZE "${INPUT}" image_size)
if(image_size GREATER STUB_SIZE)
  message(FATAL_ERROR "${INPUT} is ${image_size} bytes, more than the ${STUB_SIZE} bytes a stub may take")
endif()
file(COPY_FILE "${INPUT}" "${OUTPUT}")
execute_process(COMMAND truncate -s ${STUB_SIZE} "${OUTPUT}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not pad ${OUTPUT}")
endif()
file(WRITE "${OUTPUT}.size" "${image_size}\n")
message(STATUS "${OUTPUT}: ${image_size} bytes before padding to ${STUB_SIZE}")
