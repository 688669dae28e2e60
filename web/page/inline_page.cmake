# Writes the page with its script and style inline: index.html's
# <link rel="stylesheet" href="page.css"> and <script src="page.js"></script>
# become the files' contents.
#   cmake -DPAGE_DIR=web/page -DOUT=.../index.html -P inline_page.cmake
file(READ ${PAGE_DIR}/index.html page)
file(READ ${PAGE_DIR}/page.css style)
file(READ ${PAGE_DIR}/page.js script)
string(REPLACE "<link rel=\"stylesheet\" href=\"page.css\">" "<style>\n${style}</style>" page "${page}")
string(REPLACE "<script src=\"page.js\"></script>" "<script>\n${script}</script>" page "${page}")
file(WRITE ${OUT} "${page}")
