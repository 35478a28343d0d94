# bash completion for tarvikctl
_tarvikctl() {
    local cur prev words cword
    _init_completion || return

    local options="--help --version --no-backup --virtual-mouse --virtual-mouse-state"
    local commands="list show set profile export import macros patch backup"

    case $prev in
        --virtual-mouse)
            COMPREPLY=($(compgen -W "i2c flash" -- "$cur"))
            return ;;
        --virtual-mouse-state|--json)
            _filedir
            return ;;
    esac

    # The command and subcommand typed so far, past the options.
    local i command="" sub="" positional=0
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --virtual-mouse|--virtual-mouse-state|--json) ((i++)) ;;
            -*) ;;
            *)
                if [[ -z $command ]]; then command=${words[i]}
                elif [[ -z $sub ]]; then sub=${words[i]}
                else ((positional++))
                fi ;;
        esac
    done

    if [[ $cur == -* ]]; then
        case $command in
            show) options+=" --json" ;;
            export|import) options+=" --json" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    case $command in
        "") COMPREPLY=($(compgen -W "$commands" -- "$cur")) ;;
        set)
            if [[ -z $sub ]]; then
                COMPREPLY=($(compgen -W "mode button dpi dpi-level dpi-color rate lighting light-color" -- "$cur"))
            elif [[ ($sub == mode || $sub == button) && $positional -eq 0 ]]; then
                COMPREPLY=($(compgen -W "office game third" -- "$cur"))
            elif [[ $sub == rate && $positional -eq 0 ]]; then
                COMPREPLY=($(compgen -W "125 250 500 1000" -- "$cur"))
            elif [[ $sub == lighting && $positional -eq 0 ]]; then
                COMPREPLY=($(compgen -W "off 0 1 2 3 4 5" -- "$cur"))
            fi ;;
        profile)
            if [[ -z $sub ]]; then
                COMPREPLY=($(compgen -W "save load" -- "$cur"))
            else
                _filedir
            fi ;;
        macros)
            if [[ -z $sub ]]; then
                COMPREPLY=($(compgen -W "list add delete export" -- "$cur"))
            elif [[ $sub == export ]]; then
                _filedir
            fi ;;
        backup)
            [[ -z $sub ]] && COMPREPLY=($(compgen -W "list restore" -- "$cur")) ;;
        patch) _filedir ;;
    esac
} &&
    complete -F _tarvikctl tarvikctl
