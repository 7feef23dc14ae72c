# The engine as WebAssembly for a browser's Web Worker (and for Node).
# main() runs on a thread of its own (PROXY_TO_PTHREAD), so the worker's own
# thread stays free to take the page's lines while a search runs; the input
# thread and the search thread are the native build's, on shared memory.
# Output leaves through standard output (one line per print call), input
# comes through QuillInputLine (platform.cpp), "Log.Txt" lives in memory.
target_link_options(quill PRIVATE
  -pthread
  -sPROXY_TO_PTHREAD=1
  -sPTHREAD_POOL_SIZE=3
  -sEXIT_RUNTIME=1
  -sALLOW_MEMORY_GROWTH=1
  -sINITIAL_MEMORY=67108864
  -sMAXIMUM_MEMORY=2147483648
  -sENVIRONMENT=web,worker,node
  -sEXPORTED_FUNCTIONS=_main,_QuillInputLine
  -sEXPORTED_RUNTIME_METHODS=ccall
  -sTOTAL_STACK=8388608
  -sDEFAULT_PTHREAD_STACK_SIZE=4194304
)
set_target_properties(quill PROPERTIES SUFFIX ".js")

