# Sourced by the scripts that write release artefacts (tools/package.sh,
# tools/build_windows.sh), before they build anything:
# - SOURCE_DATE_EPOCH, the one time stamp of every file in the artefacts:
#   the last commit's time unless the caller sets it; a whole number of
#   seconds since 1970, else an error here;
# - a warning when the tree has changes that are not committed (untracked
#   files included: the scene's files are found by pattern), since the
#   artefacts will then not be those of the commit.
# Checked once, however many of the scripts run in turn.
if [ -z "${MIRTAL_RELEASE_ENV:-}" ]; then
    if [ -n "$(git status --porcelain 2> /dev/null)" ]; then
        echo "$(basename "$0"): warning: the tree has uncommitted changes: the artefacts" \
             "will not match the commit $(git rev-parse --short HEAD)" >&2
    fi
    if [ -z "${SOURCE_DATE_EPOCH+set}" ]; then
        if ! SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2> /dev/null); then
            echo "$(basename "$0"): not a git checkout: set SOURCE_DATE_EPOCH to the time" \
                 "(seconds since 1970) the artefacts should carry" >&2
            exit 2
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
