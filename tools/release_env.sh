# Sourced by the scripts that write release artefacts (tools/package.sh,
# tools/build_windows.sh), from the tree's top folder, before they build
# anything:
# - SOURCE_DATE_EPOCH, the one time stamp of every file in the artefacts,
#   unless the caller sets it: in a git checkout of the tree, the last
#   commit's time; in a tree that is not one (unpacked from a source
#   archive, or where git is not installed), the date of the changelog's
#   first entry, as Debian's package tools take it (dpkg-parsechangelog
#   -STimestamp: the date on the entry's closing " -- NAME <EMAIL>  DATE"
#   line). A whole number of seconds since 1970, else an error here;
# - in a checkout, a warning when the tree has changes that are not
#   committed (untracked files included: the scene's files are found by
#   pattern), since the artefacts will then not be those of the commit.
# Checked once, however many of the scripts run in turn.
if [ -z "${MIRTAL_RELEASE_ENV:-}" ]; then
    # This very tree, not one unpacked inside another checkout.
    release_checkout=no
    if command -v git > /dev/null 2>&1 &&
        [ "$(git rev-parse --show-toplevel 2> /dev/null)" = "$(pwd -P)" ]; then
        release_checkout=yes
    fi
    if [ $release_checkout = yes ] && [ -n "$(git status --porcelain 2> /dev/null)" ]; then
        echo "$(basename "$0"): warning: the tree has uncommitted changes: the artefacts" \
             "will not match the commit $(git rev-parse --short HEAD)" >&2
    fi
    if [ -z "${SOURCE_DATE_EPOCH+set}" ]; then
        if [ $release_checkout = yes ]; then
            if ! SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2> /dev/null); then
                echo "$(basename "$0"): the git checkout has no commit: set SOURCE_DATE_EPOCH" \
                     "to the time (seconds since 1970) the artefacts should carry" >&2
                exit 2
            fi
        else
            release_changed=$(sed -n 's/^ -- .*>  //p' packaging/linux/changelog 2> /dev/null |
                              head -n 1)
            if [ -z "$release_changed" ] ||
                ! SOURCE_DATE_EPOCH=$(date -u -d "$release_changed" +%s 2> /dev/null); then
                echo "$(basename "$0"): not a git checkout, and packaging/linux/changelog gives" \
                     "no date: set SOURCE_DATE_EPOCH to the time (seconds since 1970) the" \
                     "artefacts should carry" >&2
                exit 2
            fi
            echo "$(basename "$0"): not a git checkout: the artefacts carry the date of the" \
                 "changelog's first entry, $release_changed" >&2
        fi
    fi
    if ! [[ "$SOURCE_DATE_EPOCH" =~ ^[0-9]{1,10}$ ]]; then
        echo "$(basename "$0"): SOURCE_DATE_EPOCH must be a whole number of seconds since" \
             "1970 (as 'git log -1 --format=%ct' gives), not '$SOURCE_DATE_EPOCH'" >&2
        exit 2
    fi
    export SOURCE_DATE_EPOCH
    export MIRTAL_RELEASE_ENV=checked
fi
