# Turns one Markdown page of the help into an HTML page for the help file:
# links between pages are rewritten from .md to .html and the page gets the
# help's style sheet. Run as:
#   cmake -DCMARK=<cmark-gfm> -DINPUT=<page.md> -DOUTPUT=<page.html> -P HelpPage.cmake
execute_process(COMMAND "${CMARK}" --extension table "${INPUT}" OUTPUT_VARIABLE body RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cmark failed on ${INPUT}")
endif()
file(STRINGS "${INPUT}" heading LIMIT_COUNT 1 REGEX "^# ")
string(REGEX REPLACE "^# " "" title "${heading}")
string(REGEX REPLACE "href=\"([A-Za-z0-9_-]+)\\.md\"" "href=\"\\1.html\"" body "${body}")
file(WRITE "${OUTPUT}" "<!DOCTYPE html>
<html>
<head>
<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">
<title>${title}</title>
<link rel=\"stylesheet\" type=\"text/css\" href=\"help.css\">
</head>
<body>
${body}</body>
</html>
")
