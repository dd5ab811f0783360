# The warnings of every target built from this tree: the program, the tests,
# the fuzzers and the benchmarks. Tests held to less than the code they test
# would let a narrowing or a shadowed name pass in the checks themselves.
# Use: target_compile_options(TARGET PRIVATE ${KOLVO_WARNINGS})
set(KOLVO_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Wformat=2 -Wundef)
if(KOLVO_WERROR)
  list(APPEND KOLVO_WARNINGS -Werror)
endif()
