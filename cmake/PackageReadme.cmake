# The README.md of the release packages: the repository's README up to the
# line that says the packages' copy ends there, since what follows is about
# the sources and links to files a package does not hold. Run as:
#   cmake -DINPUT=<README.md> -DOUTPUT=<packaged README.md> -P PackageReadme.cmake
file(READ "${INPUT}" text)
set(marker "<!-- The README.md in the release packages ends here")
string(FIND "${text}" "${marker}" end)
if(end EQUAL -1)
  message(FATAL_ERROR "${INPUT} has no line that begins \"${marker}\"")
endif()
string(SUBSTRING "${text}" 0 ${end} text)
string(REGEX REPLACE "\n+$" "\n" text "${text}")
file(WRITE "${OUTPUT}" "${text}")
