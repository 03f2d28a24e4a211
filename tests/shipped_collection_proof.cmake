# The shipped collection compiled with --complete, then every line of it
# proven: cmake -DTOOL=vostra-problems -DOUT=catalogue.txt -P this file, run
# from the source folder.  A short budget per question keeps the sanitizer
# build quick; what it cannot prove in time is reported, not failed.
execute_process(COMMAND ${TOOL} compile -q --complete --budget 3000 -o ${OUT} problems/sgf RESULT_VARIABLE compiled)
if(NOT compiled EQUAL 0)
  message(FATAL_ERROR "compile --complete failed")
endif()
execute_process(COMMAND ${TOOL} check --prove --budget 3000 ${OUT} RESULT_VARIABLE proven)
if(NOT proven EQUAL 0)
  message(FATAL_ERROR "check --prove found faults in the completed collection")
endif()
