#!/usr/bin/env python3
"""Puts the page together as one file that needs nothing beside it.

    inline_page.py OUTPUT TEMPLATE VERSION MODULE STYLE... SCRIPT...

TEMPLATE holds the markers /*STYLES*/, /*MODULE*/, /*SCRIPTS*/ and
/*VERSION*/: the styles (.css) and scripts (.js) replace the first and the
third, in the order given, the WebAssembly MODULE, in base64, the second,
and the release's VERSION the last.
"""
import base64
import sys


def main():
    output, template, version, module, *files = sys.argv[1:]
    page = open(template, encoding="utf-8").read()
    styles = [open(f, encoding="utf-8").read() for f in files if f.endswith(".css")]
    # A script may not hold "</script", which would end its element early.
    scripts = [open(f, encoding="utf-8").read().replace("</script", "<\\/script")
               for f in files if f.endswith(".js")]
    encoded = base64.b64encode(open(module, "rb").read()).decode("ascii")
    for marker, text in (("/*STYLES*/", "\n".join(styles)), ("/*MODULE*/", encoded),
                         ("/*SCRIPTS*/", "\n".join(scripts)), ("/*VERSION*/", version)):
        if marker not in page:
            sys.exit("inline_page.py: %s has no %s" % (template, marker))
        page = page.replace(marker, text, 1)
    with open(output, "w", encoding="utf-8") as out:
        out.write(page)


if __name__ == "__main__":
    main()
