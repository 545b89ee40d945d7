# bash completion for vantrel-cli

_vantrel_cli()
{
    local cur prev words cword split
    _init_completion -s -n := || return

    local commands="compile preview program ports config convert"
    local models="64128A 64128E 64240B 128240A RGS24128064"
    local command="" i
    for ((i = 1; i < cword; i++)); do
        if [[ " $commands " == *" ${words[i]} "* ]]; then
            command=${words[i]}
            break
        fi
    done

    case $prev in
        --model)
            COMPREPLY=($(compgen -W "$models" -- "$cur"))
            return
            ;;
        --scale)
            COMPREPLY=($(compgen -W "fit fill stretch none" -- "$cur"))
            return
            ;;
        --dither)
            COMPREPLY=($(compgen -W "none floyd-steinberg atkinson bayer" -- "$cur"))
            return
            ;;
        --threshold | --font5x8 | --font10x16)
            return
            ;;
        --config | --save)
            _filedir '@(vantrel|quorrin)'
            return
            ;;
        --image | --log)
            _filedir
            return
            ;;
        -o)
            if [[ $command == preview ]]; then
                _filedir -d
            else
                _filedir
            fi
            return
            ;;
        --port)
            local devices=() device
            for device in /dev/ttyUSB* /dev/ttyACM* /dev/serial/by-id/*; do
                [[ -e $device ]] && devices+=("$device")
            done
            COMPREPLY=($(compgen -W "${devices[*]}" -- "$cur"))
            return
            ;;
        --slot)
            _vantrel_cli_slot
            return
            ;;
    esac
    $split && return

    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi

    local options="--help"
    local compile_options="--oled --slot --font5x8 --font10x16 --config"
    case $command in
        compile) options+=" $compile_options -o" ;;
        preview) options+=" --oled -o" ;;
        program) options+=" $compile_options --port --image --verbose --all --json --log --repeat" ;;
        ports) options+=" --json" ;;
        config) options+=" $compile_options --save" ;;
        convert) options+=" --model --scale --threshold --dither --invert -o" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    case $command in
        preview) _filedir ;;
        convert) _filedir '@(png|jpg|jpeg|bmp|gif|svg|webp|tif|tiff|PNG|JPG|JPEG|BMP|GIF|SVG|WEBP|TIF|TIFF)' ;;
    esac
}

# MODEL:N=FILE: the models, then the slots 1 to 4, then the bitmap files.
_vantrel_cli_slot()
{
    if [[ $cur == *=* ]]; then
        cur=${cur#*=}
        _filedir '@(bmp|BMP)'
        return
    fi
    local candidates=() model slot
    if [[ $cur == *:* ]]; then
        for slot in 1 2 3 4; do
            candidates+=("${cur%%:*}:$slot=")
        done
    else
        for model in 64128A 64128E 64240B 128240A RGS24128064; do
            candidates+=("$model:")
        done
    fi
    COMPREPLY=($(compgen -W "${candidates[*]}" -- "$cur"))
    compopt -o nospace
    # Readline replaces only what follows the last ':' of the word.
    if [[ $cur == *:* && $COMP_WORDBREAKS == *:* ]]; then
        local typed=${cur%"${cur##*:}"}
        COMPREPLY=("${COMPREPLY[@]#"$typed"}")
    fi
}

complete -F _vantrel_cli vantrel-cli
