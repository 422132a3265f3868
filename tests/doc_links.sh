#!/usr/bin/env bash
# Checks that every relative link of the Markdown pages (README.md, CONTRIBUTING.md, CHANGELOG.md
# and docs/*.md) leads somewhere: the file or folder exists and, for a #anchor, the page has a
# heading that GitHub gives that anchor. Links with a scheme (https:, mailto:) are not followed.
# Names each broken link and exits 1 if there is one.
#
# usage: doc_links.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# The anchors of a page's headings, one a line: lower case, punctuation dropped, blanks as
# hyphens, "-1", "-2" after a repeated one. Headings inside code blocks do not count.
anchors() {
    awk '
        /^(```|~~~)/ { fenced = !fenced; next }
        fenced || !/^#+ / { next }
        {
            text = tolower($0)
            sub(/^#+ +/, "", text)
            sub(/ +#* *$/, "", text)
            gsub(/[^a-z0-9 _-]/, "", text)
            gsub(/ /, "-", text)
            anchor = (seen[text]++ ? text "-" (seen[text] - 1) : text)
            print anchor
        }
    ' "$1"
}

# The targets of a page's inline links and images, one a line, leaving out code: fenced blocks,
# lines indented by four blanks or a tab, and code spans.
links() {
    awk '
        /^(```|~~~)/ { fenced = !fenced; next }
        fenced || /^(    |\t)/ { next }
        {
            line = $0
            gsub(/`[^`]*`/, "", line)
            while (match(line, /\]\([^) ]+( "[^"]*")?\)/)) {
                target = substr(line, RSTART + 2, RLENGTH - 3)
                sub(/ ".*/, "", target)
                print target
                line = substr(line, RSTART + RLENGTH)
            }
        }
    ' "$1"
}

pages=(README.md CONTRIBUTING.md CHANGELOG.md docs/*.md)
broken=0
checked=0
for page in "${pages[@]}"; do
    [ -f "$page" ] || continue
    folder=$(dirname "$page")
    while IFS= read -r target; do
        [[ "$target" =~ ^[a-zA-Z][a-zA-Z0-9+.-]*: ]] && continue
        checked=$((checked + 1))
        path=${target%%#*}
        anchor=""
        [[ "$target" == *"#"* ]] && anchor=${target#*#}
        file=$page
        [ -n "$path" ] && file=$folder/$path
        if [ ! -e "$file" ]; then
            echo "$page: $target: no such file ($file)"
            broken=$((broken + 1))
        elif [ -n "$anchor" ] && ! anchors "$file" | grep -qxF -- "$anchor"; then
            echo "$page: $target: $file has no heading with the anchor #$anchor"
            broken=$((broken + 1))
        fi
    done < <(links "$page")
done
echo "$checked links checked, $broken broken"
[ "$broken" -eq 0 ]
