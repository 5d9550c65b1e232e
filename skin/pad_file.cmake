# Copies INPUT to OUTPUT and pads the copy with zero bytes to SIZE bytes. A
# Windows loader ignores bytes past the image's last section.
get_filename_component(dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
file(COPY_FILE ${INPUT} ${OUTPUT})
file(SIZE ${INPUT} size)
if(size GREATER SIZE)
  message(WARNING "${INPUT} has ${size} bytes, more than ${SIZE}: left as it is")
elseif(size LESS SIZE)
  execute_process(COMMAND truncate -s ${SIZE} ${OUTPUT} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot pad ${OUTPUT}")
  endif()
endif()
