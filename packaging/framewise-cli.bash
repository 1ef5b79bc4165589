# bash completion for framewise-cli: the commands, their options and the files they take.

_framewise_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD-1]}
    local commands="add backup config decode delete devices encode info move pull restore sim"
    local globals="--simulate --sim-fault --work-root --yes --help --version"
    COMPREPLY=()

    # The values of options, wherever they stand.
    case $prev in
        --simulate) _framewise_cli_files; return ;;
        --work-root|--data) _framewise_cli_dirs; return ;;
        --sim-fault)
            COMPREPLY=($(compgen -W "fail-transfer@ flip-read-bit@ corrupt-program@ wrong-verify@ unplug@" -- "$cur"))
            compopt -o nospace 2>/dev/null
            return ;;
        --fit) COMPREPLY=($(compgen -W "crop stretch" -- "$cur")); return ;;
        --format)
            # pull's picture format; sim's --format takes a number.
            [[ ${COMP_WORDS[*]} == *" pull "* ]] && COMPREPLY=($(compgen -W "bmp jpg" -- "$cur"))
            return ;;
        --quality|--flags|--lcd|--flash|--index-address|--capacity|--firmware|--language)
            return ;;
    esac

    # The command is the first word that is neither an option nor an option's value.
    local i command=
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            --simulate|--sim-fault|--work-root) ((i++)) ;;
            -*) ;;
            *) command=${COMP_WORDS[i]}; break ;;
        esac
    done
    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "$globals" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    local options=
    case $command in
        add) options="--fit --quality" ;;
        backup) options="--force" ;;
        config) options="--data --language" ;;
        encode) options="--jfif --quality --flags" ;;
        info) options="--json" ;;
        pull) options="--format" ;;
        move)
            if ((COMP_CWORD == i + 2)); then
                COMPREPLY=($(compgen -W "up down" -- "$cur"))
            fi
            return ;;
        sim)
            if ((COMP_CWORD == i + 1)); then
                COMPREPLY=($(compgen -W "create demo plug unplug" -- "$cur"))
                return
            fi
            case ${COMP_WORDS[i + 1]} in
                create|demo) options="--lcd --flash --index-address --capacity --format --quality --firmware" ;;
            esac ;;
        devices|delete) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
    elif [[ $command == pull ]]; then
        _framewise_cli_dirs
    else
        _framewise_cli_files
    fi
}

# File and folder names, one a line, so that names with spaces stay whole.
_framewise_cli_files()
{
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "${COMP_WORDS[COMP_CWORD]}")
}

_framewise_cli_dirs()
{
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -d -- "${COMP_WORDS[COMP_CWORD]}")
}

complete -F _framewise_cli framewise-cli
