# Read by ctest after the discovered tests (see tests/CMakeLists.txt).
set_tests_properties(JpegPictures.AProjectOfThemTellsWhatTheyHold PROPERTIES RUN_SERIAL TRUE)
