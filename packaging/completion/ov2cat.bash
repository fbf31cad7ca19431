# bash completion for ov2cat.
# The commands, their options and what each argument is come from ov2cat's own help, so a new
# command completes as soon as the program knows it.

# The usage line of a command without "usage: ov2cat COMMAND", brackets and repetition marks.
_ov2cat_arguments()
{
    "$1" "$2" --help 2>/dev/null |
        sed -n -e '1{s/^usage: *[^ ]* [^ ]* *//' -e 's/[][]//g' -e 's/\.\.\.//g' -e p -e '}'
}

_ov2cat_letters()
{
    "$1" drives 2>/dev/null | cut -f1
}

_ov2cat()
{
    local cur prev words cword
    _init_completion || return

    if ((cword == 1)); then
        local commands
        commands=$("$1" --help 2>/dev/null | sed -n 's/^\(usage:\)\{0,1\} *ov2cat \([a-z][a-z0-9-]*\).*/\2/p')
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi

    local command=${words[1]}
    local -a tokens options valued positionals
    read -r -a tokens <<<"$(_ov2cat_arguments "$1" "$command")"
    # An option followed by a word of capitals takes that word as its value.
    local i
    for ((i = 0; i < ${#tokens[@]}; i++)); do
        if [[ ${tokens[i]} == --* ]]; then
            options+=("${tokens[i]}")
            if ((i + 1 < ${#tokens[@]})) && [[ ${tokens[i + 1]} != --* ]]; then
                valued+=("${tokens[i]}=${tokens[i + 1]}")
                ((i++))
            fi
        else
            positionals+=("${tokens[i]}")
        fi
    done
    options+=(--help)

    # The value of an option: a drive letter where it asks for one, else nothing to offer.
    local pair
    for pair in "${valued[@]}"; do
        if [[ $prev == "${pair%%=*}" ]]; then
            [[ $prev == --letter ]] && COMPREPLY=($(compgen -W "$(_ov2cat_letters "$1")" -- "$cur"))
            return
        fi
    done

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "${options[*]}" -- "$cur"))
        return
    fi

    # Which positional argument the word is: options and their values do not count.
    local position=0 word
    for ((i = 2; i < cword; i++)); do
        word=${words[i]}
        if [[ $word == --* ]]; then
            for pair in "${valued[@]}"; do
                [[ $word == "${pair%%=*}" ]] && ((i++)) && break
            done
        else
            ((position++))
        fi
    done
    local what=${positionals[position]-}
    case $what in
        *LETTER*)
            # The letters, then (added to them) folders and images in their place.
            COMPREPLY=($(compgen -W "$(_ov2cat_letters "$1")" -- "$cur"))
            case $what in
                *FOLDER* | *'|IMAGE' | *'|IMAGE|'*) _filedir ;;
                *.cue*) _filedir cue ;;
            esac
            ;;
        *.ovd) _filedir ovd ;;
        *.json) _filedir json ;;
        *.cue) _filedir cue ;;
        *FOLDER*) _filedir -d ;;
    esac
}
complete -F _ov2cat ov2cat
