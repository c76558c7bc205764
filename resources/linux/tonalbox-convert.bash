# bash completion for tonalbox-convert                     -*- shell-script -*-
# The options come from the program's own --help, so they are always the
# ones of the installed program; values are completed from the lists that
# --help prints after each option.

_tonalbox_convert_help()
{
    LC_ALL=C "$1" --help 2>/dev/null
}

_tonalbox_convert()
{
    local cur prev words cword
    if declare -F _init_completion >/dev/null; then
        _init_completion -s || return
    else
        cur=${COMP_WORDS[COMP_CWORD]}
        prev=${COMP_WORDS[COMP_CWORD-1]}
    fi
    local program=${COMP_WORDS[0]}

    # The value of the option before the cursor, from its help line and the
    # indented lines that go on with it:
    # "  -f, --format mp3|wav|flac|opus|ogg   output format" or "--bitrate RATE  "32k", ...".
    if [[ $prev == -* ]]; then
        local line
        line=$(_tonalbox_convert_help "$program" |
            awk -v option="$prev" '
                found && /^       / { sub(/^ +/, " "); line = line $0; next }
                found { exit }
                $0 ~ ("(^|[ ,])" option "( |,|$)") { found = 1; line = $0 }
                END { print line }')
        if [[ $line =~ ^\ +(-[A-Za-z],\ )?--[A-Za-z0-9-]+\ ([^ ]+)\ +(.*)$ ]]; then
            local kind=${BASH_REMATCH[2]} text=${BASH_REMATCH[3]}
            local IFS=$'\n'
            local -a values=()
            case $kind in
                DIR) COMPREPLY=($(compgen -d -- "$cur")); return ;;
                FILE) COMPREPLY=($(compgen -f -- "$cur")); return ;;
                *'|'*) values=($(tr '|' '\n' <<<"$kind")) ;;
                # Labels may be written with '-' for blanks.
                *) values=($(grep -oE '"[^"]+"' <<<"$text" | tr -d '"' | tr ' ' '-')) ;;
            esac
            COMPREPLY=($(compgen -W "${values[*]}" -- "$cur"))
            return
        fi
    fi

    if [[ $cur == -* ]]; then
        local options
        options=$(_tonalbox_convert_help "$program" |
            grep -E '^ +-' | grep -oE -- '(^|[ ,])--?[A-Za-z0-9][A-Za-z0-9-]*' | tr -d ' ,' | sort -u)
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    # MIDI files and folders.
    if declare -F _filedir >/dev/null; then
        _filedir '@(mid|midi|kar|rmi|MID|MIDI|KAR|RMI)'
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
} &&
    complete -F _tonalbox_convert tonalbox-convert
